#pragma once
// Interface texts go through kx_sharedLocalized: the translation of the text from the strings table
// "KXLocalizable", or the text itself when the table has none (or no table is installed).

#include <functional>
#include <string>

std::string kx_sharedLocalized(const std::string& text);

// Installs the translation lookup (the desktop application's translator); an empty function leaves
// every text as it is.
void kx_setSharedLocalizer(std::function<std::string(const std::string&)> lookup);
