// The shape fonts of Osprel's tests, as their files hold them; the fuzzing harness takes them as seeds
// of its font mode.
#pragma once

#include <string>

namespace shape_fonts {

// Above 10. "A" draws three strokes of 1 and ends at (1, 0); "B" divides its scale by 0; "C" and "D"
// call each other; the others draw one stroke each.
inline const std::string kTestFont =
    "*0,4,testfont\n10,2,0,0\n"
    "*10,2,lf\n044,0\n"
    "*37,2,percent\n012,0\n"
    "*65,5,A\n1,014,010,01C,0\n"
    "*66,4,B\n3,0,010,0\n"
    "*67,3,C\n7,68,0\n"
    "*68,3,D\n7,67,0\n"
    "*94,2,caret\n016,0\n"
    "*101,2,e\n020,0\n"
    "*201,2,ONLYTEXT\n010,0\n";

// The shape file: "BOX" is the unit square.
inline const std::string kShapesFont =
    "*0,4,shapes\n10,2,0,0\n"
    "*200,6,BOX\n1,010,014,018,01C,0\n";

// The font "TXT" of the style "STANDARD": its "A" is one stroke of 2.
inline const std::string kTxtFont =
    "*0,4,txt\n10,2,0,0\n"
    "*65,2,A\n020,0\n";

// "A" calls shape 1 three times, which calls shape 2 three times, and so on 16 levels deep, where
// shape 16 moves with the pen up.
inline std::string MultiplyingFont() {
  std::string font = "*0,4,many\n10,2,0,0\n*65,7,A\n7,1,7,1,7,1,0\n";
  for (int level = 1; level <= 16; ++level) {
    const std::string next = std::to_string(level + 1);
    const std::string calls = level < 16 ? "7," + next + ",7," + next + ",7," + next + ",0\n" : "2,010,0,0,0,0,0\n";
    font += "*" + std::to_string(level) + ",7,s\n" + calls;
  }
  return font;
}

// "A" draws strokes strokes of 1 to the right, 50 items a line.
inline std::string LongFont(int strokes) {
  std::string font = "*0,4,long\n10,2,0,0\n*65," + std::to_string(strokes + 1) + ",A\n";
  for (int i = 0; i < strokes; ++i) font += i % 50 == 49 || i + 1 == strokes ? "010\n" : "010,";
  return font + "0\n";
}

}  // namespace shape_fonts
