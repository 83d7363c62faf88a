#include "csettingsstore.h"
#include "ostrel_export.h"

#include <cstring>
#include <new>

extern "C" OSTREL_EXPORT int OstrelCreateInstance(const char *classId, const char *interfaceId,
                                                  ostrel::ISettingsStore **instance)
{
    if (!instance)
        return int(ostrel::FactoryStatus::NoInterface);
    *instance = nullptr;
    if (!classId || std::strcmp(classId, ostrel::kSettingsStoreClassId) != 0)
        return int(ostrel::FactoryStatus::ClassNotAvailable);
    if (!interfaceId || std::strcmp(interfaceId, ostrel::kSettingsStoreInterfaceId) != 0)
        return int(ostrel::FactoryStatus::NoInterface);
    *instance = new (std::nothrow) cSettingsStore;
    return *instance ? int(ostrel::FactoryStatus::Ok) : int(ostrel::FactoryStatus::OutOfMemory);
}
