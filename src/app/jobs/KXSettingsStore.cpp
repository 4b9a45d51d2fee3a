#include "app/jobs/KXSettingsStore.h"

#include "app/jobs/KXMemorySettingsStore.h"

namespace {

KXSettingsStore*& installedStore() {
    static KXSettingsStore* store = nullptr;
    return store;
}

}  // namespace

KXSettingsStore& KXSettingsStore::standardUserDefaults() {
    static KXMemorySettingsStore fallback;
    KXSettingsStore* store = installedStore();
    return store ? *store : fallback;
}

void KXSettingsStore::setStandardUserDefaults(KXSettingsStore* store) { installedStore() = store; }
