#include "app/jobs/KXPreferences.h"

#include <algorithm>

#include "app/jobs/KXCUtilities.h"
#include "app/jobs/KXImageTables.h"
#include "app/jobs/KXSettingsKeys.h"
#include "app/jobs/KXSettingsStore.h"

KXPreferences& KXPreferences::sharedInstance() {
    static KXPreferences preferences;
    return preferences;
}

KXPreferences::KXPreferences()
    : openFileAfterConversion_(KXCUtilities::boolValueForKey(KXDocuvaneSettings_OpenFileAfterConversion, true)),
      parserPDFAnnots_(KXCUtilities::boolValueForKey(KXDocuvaneSettings_ParserPDFAnnotsAction, true)),
      imageDPI_(KXCUtilities::integerValueForKey(KXDocuvaneSettings_ImageDPI, 144)) {}

void KXPreferences::setOpenFileAfterConversion(bool value) {
    openFileAfterConversion_ = value;
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setBool(KXDocuvaneSettings_OpenFileAfterConversion, value);
    store.synchronize();
}

void KXPreferences::setParserPDFAnnots(bool value) {
    parserPDFAnnots_ = value;
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setBool(KXDocuvaneSettings_ParserPDFAnnotsAction, value);
    store.synchronize();
}

void KXPreferences::setImageDPI(std::int64_t value) {
    imageDPI_ = value;
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setInteger(KXDocuvaneSettings_ImageDPI, value);
    store.synchronize();
}

void KXPreferences::clampImageDPI() { imageDPI_ = std::clamp<std::int64_t>(imageDPI_, KXDPITable.front(), KXDPITable.back()); }
