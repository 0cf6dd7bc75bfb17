// The shared library's only export.
#include "plugins/3dmf/vendrix.h"

extern "C" QN_PLUGIN_EXPORT int32_t QNIOPLUGINENTRY(uint32_t selector, QNHostFn* callbacks, void* block) {
  return VendrixEntry(selector, callbacks, block);
}
