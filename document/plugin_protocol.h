/* The protocol between Quarn2 and its run-time plug-ins, shared by the host and every plug-in.
 *
 * An import plug-in (".qno") exports QNIOPLUGINENTRY, an image plug-in (".qni") QNIMAGEPLUGINENTRY.
 * The host calls the entry with a selector, its table of host callbacks and a parameter block that
 * it owns; a plug-in keeps no pointer to either after a call returns. Multi-byte values in the blocks
 * are in the machine's own order: the blocks never reach a file.
 *
 * Plain C, including nothing of the program, so that a plug-in needs this one file. */
#ifndef QUARN2_PLUGIN_PROTOCOL_H
#define QUARN2_PLUGIN_PROTOCOL_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define QN_STATIC_ASSERT(condition, message) static_assert(condition, message)
extern "C" {
#else
#define QN_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

#define QN_IO_ENTRY_NAME "QNIOPLUGINENTRY"
#define QN_IMAGE_ENTRY_NAME "QNIMAGEPLUGINENTRY"
#define QN_IO_EXTENSION ".qno"
#define QN_IMAGE_EXTENSION ".qni"
#define QN_PLUGIN_EXPORT __attribute__((visibility("default")))

/* A slot of the host callback table; a plug-in casts it to the slot's own type below. */
typedef void (*QNHostFn)(void);

/* The entry: (selector, callback table, parameter block or none) -> answer. An entry answers 0 to a
 * selector that it does not know. */
typedef int32_t (*QNPluginEntry)(uint32_t selector, QNHostFn* callbacks, void* block);

enum QNSelector {
  QN_SELECTOR_INIT = 0,            /* both kinds, no block: right after the library is bound */
  QN_SELECTOR_RELEASE = 1,         /* both kinds, no block: right before the library is freed */
  QN_SELECTOR_COUNT_FORMATS = 2,   /* zeroed block: write the number of formats at 528 */
  QN_SELECTOR_DESCRIBE_FORMAT = 3, /* zeroed block, own format index at 528: filter, description, extension */
  QN_SELECTOR_NAME = 4,            /* write the plug-in's own name at 0 */
  QN_SELECTOR_PROBE = 5,           /* path at 0: 1 when the file is of a format, whose index goes to 528 */
  QN_SELECTOR_IMPORT = 7,          /* path at 0: import the file through the callbacks */
  QN_SELECTOR_BEGIN_IMAGE = 9,     /* image block: open the file at 540 */
  QN_SELECTOR_WRITE_BAND = 10,     /* image block: write the band at 828 */
  QN_SELECTOR_END_IMAGE = 11       /* image block: finish the file */
};

/* Text fields carry their terminator within their size. */
#define QN_TEXT_BYTES 260
#define QN_EXTENSION_BYTES 8

#pragma pack(push, 4)

/* The parameter block, 804 bytes. */
typedef struct QNPluginParams {
  char text[QN_TEXT_BYTES];            /* path in (5, 7); filter (3) or own name (4) out */
  char description[QN_TEXT_BYTES];     /* description out (3) */
  char extension[QN_EXTENSION_BYTES];  /* extension with its dot out (3) */
  uint32_t formatIndex;                /* count out (2); own format index in (3, 9, 10, 11) */
  uint8_t unused532[8];
  char outputPath[QN_TEXT_BYTES];      /* the file an image plug-in writes (9) */
  uint8_t unused800[4];
} QNPluginParams;

/* The image block of selectors 9 to 11: the parameter block and the picture's fields. With 8-byte
 * pointers the band pointer stays at 828, as the tabled offsets before it do, and the block is 836
 * bytes. */
typedef struct QNImageParams {
  QNPluginParams params;
  float resolution;          /* dots per inch */
  uint32_t bitsPerPixel;     /* 32 */
  uint32_t width;
  uint32_t height;
  uint32_t rowsDone;         /* rows handed over before this band */
  uint32_t rowsPerBand;
  const uint32_t* pixels;    /* rowsPerBand rows of width pixels, 0xAARRGGBB */
} QNImageParams;

#pragma pack(pop)

enum QNBlockOffset {
  QN_OFFSET_TEXT = 0,
  QN_OFFSET_DESCRIPTION = 260,
  QN_OFFSET_EXTENSION = 520,
  QN_OFFSET_FORMAT_INDEX = 528,
  QN_OFFSET_OUTPUT_PATH = 540,
  QN_PARAMS_BYTES = 804,
  QN_OFFSET_RESOLUTION = 804,
  QN_OFFSET_BITS_PER_PIXEL = 808,
  QN_OFFSET_WIDTH = 812,
  QN_OFFSET_HEIGHT = 816,
  QN_OFFSET_ROWS_DONE = 820,
  QN_OFFSET_ROWS_PER_BAND = 824,
  QN_OFFSET_PIXELS = 828,
  QN_IMAGE_PARAMS_BYTES = 836
};

/* Slots of the host callback table. Slot 38 and slots 43 to 62 stay empty; a plug-in calls only slots
 * that hold a function. Documents and objects cross as 32-bit handles that the plug-in only passes
 * back. */
enum QNHostSlot {
  QN_SLOT_GET_DOCUMENT = 0,
  QN_SLOT_FIXED_ANSWER = 1, /* always 20 */
  QN_SLOT_PROGRESS = 2,     /* a non-zero answer asks the plug-in to stop */
  QN_SLOT_GET_OBJECT_COUNT = 3,
  QN_SLOT_FIND_OBJECT = 4,
  QN_SLOT_GET_OBJECT = 5,
  QN_SLOT_CREATE_OBJECT = 8,
  QN_SLOT_DELETE_OBJECT = 9,
  QN_SLOT_SET_MATERIAL_PROPERTY = 16,
  QN_SLOT_BEGIN_IMPORT = 24,
  QN_SLOT_END_IMPORT = 25,
  QN_SLOT_FINISH_OBJECT = 26,
  QN_SLOT_ADD_TRIANGLE = 27,
  QN_SLOT_MESH_DATA = 28,
  QN_SLOT_EMPTY = 38,
  QN_SLOT_FIRST_UNUSED = 43,
  QN_SLOT_COUNT = 63
};

/* Slot types. Every slot but 0 answers a result code (0 success). */
typedef uint32_t (*QNHostGetDocumentFn)(void);                                          /* 0 */
typedef int32_t (*QNHostFixedAnswerFn)(void);                                           /* 1 */
typedef int32_t (*QNHostProgressFn)(const char* text, int32_t done, int32_t total);     /* 2 */
typedef int32_t (*QNHostGetObjectCountFn)(uint32_t document, int32_t* count);           /* 3 */
typedef int32_t (*QNHostFindObjectFn)(uint32_t document, int32_t id, uint32_t* object); /* 4 */
typedef int32_t (*QNHostGetObjectFn)(uint32_t document, int32_t index, uint32_t* object); /* 5 */
typedef int32_t (*QNHostCreateObjectFn)(uint32_t document, uint32_t classCode, uint32_t* object); /* 8 */
typedef int32_t (*QNHostObjectFn)(uint32_t document, uint32_t object);                  /* 9, 26 */
typedef int32_t (*QNHostSetMaterialPropertyFn)(uint32_t document, uint32_t object, int32_t id,
                                               int32_t value);                          /* 16 */
typedef int32_t (*QNHostDocumentFn)(uint32_t document);                                 /* 24, 25 */
typedef int32_t (*QNHostAddTriangleFn)(uint32_t document, uint32_t mesh, const float* p1, const float* p2,
                                       const float* p3);                                /* 27 */
typedef int32_t (*QNHostMeshDataFn)(uint32_t document, uint32_t mesh, int32_t value, const void* first,
                                    const void* second, const void* third);             /* 28 */
/* The slots that take any arguments and answer 0. C before C23 cannot name a prototype without a
 * first parameter, so C callers see an unprototyped function. */
#ifdef __cplusplus
typedef int32_t (*QNHostAnyFn)(...);
#else
typedef int32_t (*QNHostAnyFn)();
#endif

QN_STATIC_ASSERT(sizeof(void*) == 8, "the protocol's 64-bit layouts assume 8-byte pointers");
QN_STATIC_ASSERT(sizeof(QNHostFn) == sizeof(void*), "a callback slot is pointer-wide");
QN_STATIC_ASSERT(sizeof(QNHostFn[QN_SLOT_COUNT]) == 504, "the callback table is 63 pointer-wide slots");
QN_STATIC_ASSERT(offsetof(QNPluginParams, text) == QN_OFFSET_TEXT, "text at 0");
QN_STATIC_ASSERT(offsetof(QNPluginParams, description) == QN_OFFSET_DESCRIPTION, "description at 260");
QN_STATIC_ASSERT(offsetof(QNPluginParams, extension) == QN_OFFSET_EXTENSION, "extension at 520");
QN_STATIC_ASSERT(offsetof(QNPluginParams, formatIndex) == QN_OFFSET_FORMAT_INDEX, "format index at 528");
QN_STATIC_ASSERT(offsetof(QNPluginParams, outputPath) == QN_OFFSET_OUTPUT_PATH, "output path at 540");
QN_STATIC_ASSERT(sizeof(QNPluginParams) == QN_PARAMS_BYTES, "the parameter block is 804 bytes");
QN_STATIC_ASSERT(offsetof(QNImageParams, resolution) == QN_OFFSET_RESOLUTION, "resolution at 804");
QN_STATIC_ASSERT(offsetof(QNImageParams, bitsPerPixel) == QN_OFFSET_BITS_PER_PIXEL, "bits at 808");
QN_STATIC_ASSERT(offsetof(QNImageParams, width) == QN_OFFSET_WIDTH, "width at 812");
QN_STATIC_ASSERT(offsetof(QNImageParams, height) == QN_OFFSET_HEIGHT, "height at 816");
QN_STATIC_ASSERT(offsetof(QNImageParams, rowsDone) == QN_OFFSET_ROWS_DONE, "row counter at 820");
QN_STATIC_ASSERT(offsetof(QNImageParams, rowsPerBand) == QN_OFFSET_ROWS_PER_BAND, "rows per band at 824");
QN_STATIC_ASSERT(offsetof(QNImageParams, pixels) == QN_OFFSET_PIXELS, "band pointer at 828");
QN_STATIC_ASSERT(sizeof(QNImageParams) == QN_IMAGE_PARAMS_BYTES, "the image block is 836 bytes");

#ifdef __cplusplus
}
#endif

#endif
