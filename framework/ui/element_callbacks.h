/* The routines that layouts name in code fragments: the seven element callbacks and the four
 * routines of remote elements, with the kinds under which a fragment enters each. Plain C, so that
 * fragment libraries written in C include this one header; elements, events, messages and images
 * stay opaque to them. */
#pragma once

#include <stdint.h>

#include "framework/core/fragment_api.h"

#ifdef __cplusplus
#include "framework/ui/geometry.h"
class CElement;
class CRmElement;
class CUIMessage;
class CImage;
struct SWinEvent;
#else
typedef struct CElement CElement;
typedef struct CRmElement CRmElement;
typedef struct CUIMessage CUIMessage;
typedef struct CImage CImage;
typedef struct SWinEvent SWinEvent;
/* A point (horizontal, vertical), as the program's own. */
typedef struct SPointHV {
  int32_t h;
  int32_t v;
} SPointHV;
#endif

/* Element callbacks, each with the element first and a result code (0 success). handled: where
 * the element that takes a press, character or message writes itself. Points are in the element's
 * local coordinates. */
typedef int32_t (*ElPressCallback)(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
typedef int32_t (*ElCharCallback)(CElement* element, CElement** handled, SWinEvent* event);
typedef int32_t (*ElActivationCallback)(CElement* element, SWinEvent* event);
typedef int32_t (*ElHoverCallback)(CElement* element, SPointHV point);
typedef int32_t (*ElMessageCallback)(CElement* element, CElement** handled, SPointHV point, CUIMessage* message);
typedef int32_t (*ElDrawCallback)(CElement* element, uint32_t pass, CImage* port);

/* A remote element's routines: can-open, can-close, open and close, each given the caller's
 * parameter block (16 bytes from a switcher); 0 allows or succeeds. */
typedef int32_t (*RmRoutine)(CRmElement* element, void* parameters);

/* The kinds, in callback order, then in routine order. */
#define ORDAX_KIND_PRESS ORDAX_FOURCC('e', '_', 'b', 'u')
#define ORDAX_KIND_CHARACTER ORDAX_FOURCC('e', '_', 'k', 'e')
#define ORDAX_KIND_DEACTIVATE ORDAX_FOURCC('e', '_', 's', 'u')
#define ORDAX_KIND_ACTIVATE ORDAX_FOURCC('e', '_', 'r', 'e')
#define ORDAX_KIND_HOVER ORDAX_FOURCC('e', '_', 'h', 'e')
#define ORDAX_KIND_MESSAGE ORDAX_FOURCC('e', '_', 'c', 'u')
#define ORDAX_KIND_DRAW ORDAX_FOURCC('e', '_', 'r', 'n')
#define ORDAX_KIND_CAN_OPEN ORDAX_FOURCC('r', '_', 'c', 'e')
#define ORDAX_KIND_CAN_CLOSE ORDAX_FOURCC('r', '_', 'c', 'l')
#define ORDAX_KIND_OPEN ORDAX_FOURCC('r', '_', 'e', 'n')
#define ORDAX_KIND_CLOSE ORDAX_FOURCC('r', '_', 'l', 'v')
