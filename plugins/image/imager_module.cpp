// The shared library's only export.
#include "plugins/image/imager.h"

extern "C" QN_PLUGIN_EXPORT int32_t QNIMAGEPLUGINENTRY(uint32_t selector, QNHostFn* callbacks, void* block) {
  return ImagerEntry(selector, callbacks, block);
}
