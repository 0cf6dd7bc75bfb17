// The .layout source kind: a layout file's pictures, lists, canvases and element trees written as
// text, compiled into the records the interface reads ("canv", "imca", 'hoca', "elem", "eset",
// "coel", "imel", "txel", "fost", "rmel", "rsel", 'ixtx', 'ixco', 'ixim' and "ImageIV32ARGB").
//
//   # UTF-8; texts stored as Windows-1252 with the escapes of .ixtx; "#" starts a comment; words
//   # separated by blanks; texts in double quotes; numbers in C syntax, fractions with a point; one
//   # statement or property a line; a block opens with "{" at the end of a line and ends with "}"
//   # alone. A NAME is a word or a quoted text of at most 31 characters.
//   picture NAME FILE.png [number N] [hotspot X Y]   # the PNG relative to this file; the hot spot is
//                                                    # stored as the picture's origin
//   texts NAME [number N] { ... }      # an 'ixtx' list, its lines as in a .ixtx source
//   colours NAME [number N] { ... }    # an 'ixco' list, as in .ixco
//   images NAME [number N] { ... }     # an 'ixim' list, as in .ixim
//   style NAME [number N] {            # a "fost" text style, one setting a line:
//       font "NAME" | font number N | font self    # its font, by name, by number or by the style's
//                                                  # own number (an "OutlineFont", also found in
//                                                  # data/system.dat)
//       matrix M0 M1 M2 M3   colour 0xAARRGGBB   align H V   spacing S   line-height L   wrap W
//       outline   mask   baseline
//   }
//   canvas NAME {                      # "canv", "imca" and 'hoca' records named NAME
//       frame TOP LEFT BOTTOM RIGHT    # required, screen coordinates
//       place FLAGS [position PH PV] [size SH SV]
//       colour 0xRRGGBB                # and applied
//       show
//       backdrop PICTURE [shared|copy] [offset X Y] [owned]
//       layers N                       # the root's drawing passes, default 3
//       elem NAME { ... }              # the root
//   }
//   KIND NAME { ... }   # an element of KIND elem, coel, imel, txel, rmel or rsel: its properties and its
//                       # children, listed in the order written
//
// Properties of every element:
//   rect TOP LEFT BOTTOM RIGHT (required, in the parent's local coordinates)
//   layout FLAGS [position PH PV] [size SH SV]   origin H V   hotspot PH PV
//   outsets TLH TLV BRH BRV   events MASK   window "NAME"   canvas "NAME"   user W0 W1 W2 W3
//   file "NAME.dat"   callbacks "TEXT0" ... "TEXT6"
//   shown  alternate  renderimage  followparent  claimpresses  claimchars  claimmessages
//   hoverhidden  deferred  fit [bounds] [shownonly] [outsets]
// The events default to press and draw (0x10001), a root's to press, character, hover, UI message
// and draw (0x10033), what a host canvas's root takes; a root's layout defaults to 0xF with size 1 1,
// filling its canvas; the canvas name to the enclosing canvas's.
// coel and imel elements: fill 0xAARRGGBB [layer N]   colours LIST [entry N] [use]
//   boxshadow DX DY RADIUS OPACITY [layer N] [outsets]
// imel elements: picture NAME [shared|copy] [position X Y] [layer N]   images LIST [entry N] [show]
//   shadow DX DY RADIUS OPACITY [layer N] [outsets]   translucent   owns   blank   fitpicture [outsets]
// txel elements: the properties of imel elements, then those of their "txel" record:
//   text "TEXT" [owned] (63 bytes at most)   list "NAME" | list number N | list self   index I
//   style "NAME" | style number N | style self   position X Y   text-layer N   shadow-layer N
//   textshadow DX DY RADIUS OPACITY [shown] [overflows]   fittext [extend]
// (self: the element's own number). A txel element always writes its "txel" record.
// coel, imel and txel elements: opacity F, the opacity of the element's own kind's record.
// rmel elements: options [build] [free] [show] [hide] [hold] (default build show hide)
//   routines "CAN-OPEN" "CAN-CLOSE" "OPEN" "CLOSE" (an 'ixtx' list of its own number)
// rsel elements: open "CHILD NAME"
//
// Pictures, lists and styles are referenced by name; a name the file does not define is left to run time.
// A kind's record is written only when one of its properties is there. Every resource without a
// number takes the next one from 1000 up, in file order (a canvas's three records share one);
// numbers given must be below 1000. An element's records, its children's set and its callback list
// carry its number, its name goes into the "elem" record and its resources are unnamed: names may
// repeat across canvases, not among the children of one element.
#pragma once

#include <string>

class CResourceEnv;

// Compiles the file into the environment. False with "FILE:LINE: reason" (or "FILE: reason") in
// *error; the records stored before the failure stay, so callers compile into a file of their own.
bool CompileLayoutFile(CResourceEnv& env, const std::string& path, std::string* error);
// The same for a text, its pictures' files relative to folder; errors name fileName.
bool CompileLayoutText(CResourceEnv& env, const std::string& text, const std::string& fileName,
                       const std::string& folder, std::string* error);
