#include "pptx/KXPPTXUtilities.h"

#include "platform/FileSystem.h"
#include "platform/Resources.h"
#include "pptx/KXPPTXTemplates_p.h"
#include "util/KXLibBundle.h"

namespace {

constexpr const char* kTemplateBundle = "KXSolbrin";

std::string infoString(const std::string& key) {
    std::optional<kx::PlistValue> value = KXLibBundle::ObjectForInfoDictionaryKey_KXLib(key);
    if (!value || value->type != kx::PlistValue::Type::String) return {};
    return value->string;
}

}  // namespace

KXPPTX_TxBodyPr KXPPTXUtilities::defaultTextBodyProperty() {
    KXPPTX_TxBodyPr p;
    p.warp = "none";
    p.anchor = "ctr";
    return p;
}

KXPPTX_PPr KXPPTXUtilities::defaultPProperty() {
    KXPPTX_PPr p;
    p.tabList = {0, "l"};
    p.algn = "ctr";
    p.endParaRPr = {"zh-CN", "en-US"};
    return p;
}

KXPPTX_RunPr KXPPTXUtilities::defaultRunProperty() {
    KXPPTX_RunPr r;
    r.lang = "en-US";
    r.altLang = "zh-CN";
    r.latin = {"Arial Unicode MS", "Arial Unicode MS", "18", "0"};
    r.cs = r.latin;
    return r;
}

std::optional<std::string> KXPPTXUtilities::pathInBundle(const std::string& bundleName,
                                                         const std::string& filePathInBundle) {
    std::optional<std::string> bundle = KXLibBundle::PathForResource_KXLib(bundleName, "bundle");
    if (!bundle || !kx::isDirectory(*bundle)) return std::nullopt;
    return kx::bundleResourcePath(*bundle, kx::pathDirectory(filePathInBundle), kx::pathFileName(filePathInBundle));
}

std::optional<std::string_view> KXPPTXUtilities::builtInTemplate(std::string_view name) {
    for (std::size_t i = 0; i < kx::detail::kPPTXTemplatesCount; ++i)
        if (kx::detail::kPPTXTemplates[i].name == name) return kx::detail::kPPTXTemplates[i].data;
    return std::nullopt;
}

std::optional<std::string> KXPPTXUtilities::templateData(std::string_view name) {
    std::optional<std::string_view> builtIn = builtInTemplate(name);
    if (!builtIn) return std::nullopt;
    if (std::optional<std::string> path = pathInBundle(kTemplateBundle, std::string(name)))
        if (std::optional<std::string> bytes = kx::readFile(*path); bytes && !bytes->empty()) return bytes;
    return std::string(*builtIn);
}

std::string KXPPTXUtilities::applicationDisplayName() {
    std::string name = infoString("CFBundleDisplayName");
    return name.empty() ? "Docuvane" : name;
}

