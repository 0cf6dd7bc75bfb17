/* What a code fragment's library sees of the program: the record its "fentry_" and "fexit_"
 * receive, and the one function the program exports, through which "fentry_" enters its entries in
 * the fragment's own symbol table. Plain C, so that fragments may be written in C. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
class CFragment;
extern "C" {
#else
typedef struct CFragment CFragment;
#endif

/* A four-character code, first letter in the high byte. */
#define ORDAX_FOURCC(a, b, c, d) \
  (((uint32_t)(uint8_t)(a) << 24) | ((uint32_t)(uint8_t)(b) << 16) | ((uint32_t)(uint8_t)(c) << 8) | (uint32_t)(uint8_t)(d))

typedef struct SFragmentRecord {
  CFragment* fragment;
  uint8_t* userData; /* 16 bytes */
} SFragmentRecord;

typedef int32_t (*FragmentRoutine)(SFragmentRecord* record);

/* Enters entry under name (at most 31 characters) with its kind, the four-character code that a
 * lookup must name: 0, 12 when the table cannot grow, 16 for a missing argument. */
int32_t OrdaxFragmentAddSymbol(CFragment* fragment, const char* name, uint32_t kind, void* entry);

#ifdef __cplusplus
}
#endif
