// libFuzzer target for the viewer configuration text: any stored value must load without
// overrunning anything, and what is saved from it again must stay readable (512 bytes at most).
#include "app/ViewerConfig.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray stored(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const viewer_config::Loaded loaded = viewer_config::parse(stored, 0);
    if (std::strlen(loaded.settings.password) > 4 || loaded.password.size() > 4)
        std::abort();
    const viewer_config::PopupState popup{loaded.settings, loaded.folders, loaded.directoryToken};
    if (viewer_config::format(128, popup).size() > viewer_config::kMaxTextSize)
        std::abort();
    return 0;
}
