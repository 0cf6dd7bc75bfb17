// DXF drawings through Osprel's probe and import, linked in, with the plug-in tests' recording host
// standing for the program. Beyond the sanitizers, every import must leave nothing of its parse
// allocated, and a failed one no mesh in the host. An input that starts with "*" is a shape font
// instead: the font "testfont" of a fixed drawing whose texts and shapes use it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "plugins/dxf/osprel.h"
#include "plugins/dxf/plugin_memory.h"
#include "tests/plugins/dxf/shape_fonts.h"
#include "tests/plugins/recording_host.h"

namespace {

// A few lines of a drawing can expand into millions of polygons. The harness looks for faults, not for
// the end of long work, so its host acts as one whose memory runs out at the 20,000th triangle and
// whose user cancels at the 128th report of the entries (at the 1,280th top-level entity, or after
// about 65,000 entities converted inside inserts).
constexpr uint32_t kMostTriangles = 20000;
constexpr uint32_t kMostEntryReports = 128;
constexpr int32_t kOutOfMemory = 9;

CRecordingHost& Host() {
  static CRecordingHost host;
  static const bool linked = [] {
    host.Link(&OsprelEntry);
    host.SetRecording(false, false);
    return true;
  }();
  (void)linked;
  return host;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string Entities(const std::string& body) { return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n"; }

std::string Style(const std::string& name, int flags) {
  return "0\nSTYLE\n2\n" + name + "\n70\n" + std::to_string(flags) + "\n40\n0\n3\ntestfont\n";
}

std::string Text(const std::string& style, const std::string& text) {
  return "0\nTEXT\n10\n1\n20\n2\n40\n10\n50\n30\n41\n1.5\n51\n15\n39\n1\n7\n" + style + "\n1\n" + text + "\n";
}

std::string Shape(const std::string& name) { return "0\nSHAPE\n10\n1\n20\n2\n40\n3\n50\n45\n39\n1\n2\n" + name + "\n"; }

// A text of every printable character, texts of single letters (a text stops at its first character
// the font lacks), one of the vertical style, and shapes of the names the seed fonts give, all with a
// thickness so that their strokes are placed.
std::string FontDrawing() {
  std::string printable;
  for (char c = ' ' + 1; c <= '~'; ++c) printable += c;
  const std::string tables = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nSTYLE\n" + Style("T1", 0) + Style("TV", 4) +
                             Style("SH", 1) + "0\nENDTAB\n0\nENDSEC\n";
  return tables + Entities(Text("T1", printable) + Text("T1", "A") + Text("T1", "B") + Text("T1", "C") +
                           Text("T1", "%%065^J%%0101^ %%") + Text("TV", "AB%%065^J") + Shape("BOX") + Shape("A") +
                           Shape("ONLYTEXT"));
}

int32_t ImportFont(CRecordingHost& host, const uint8_t* data, size_t size) {
  const std::string font = WriteFuzzFile(data, size, "testfont.shp").GetPath();
  const std::string drawing = FontDrawing();
  const CFileSpec spec = WriteFuzzFile(reinterpret_cast<const uint8_t*>(drawing.data()), drawing.size(), "fonts.dxf");
  const int32_t result = host.Import(spec.GetPath());
  std::remove(font.c_str());
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CRecordingHost& host = Host();
  host.Reset();
  host.AnswerAt(QN_SLOT_ADD_TRIANGLE, kMostTriangles, kOutOfMemory);
  host.CancelAtProgress(kMostEntryReports, "Processing entries");
  int32_t result = 0;
  if (size > 0 && data[0] == '*') {
    result = ImportFont(host, data, size);
  } else {
    const CFileSpec spec = WriteFuzzFile(data, size, "input.dxf");
    host.Probe(spec.GetPath());
    result = host.Import(spec.GetPath());
  }
  if (CountedLiveBlocks() != 0 || CountedLiveBytes() != 0) std::abort();
  if (result != 0 && host.LiveMeshes() != 0) std::abort();
  return 0;
}

// Drawings that ezdxf does not write; the ezdxf drawings of the plug-in tests come from make_seeds.sh.
void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  const std::string blocks = "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nS\n10\n0\n20\n0\n30\n0\n0\nINSERT\n2\nT\n50\n30\n41\n2\n"
                             "0\nENDBLK\n0\nBLOCK\n2\nT\n0\nSOLID\n10\n0\n20\n0\n11\n1\n21\n0\n12\n0\n22\n1\n39\n1\n"
                             "0\nENDBLK\n0\nENDSEC\n";
  seeds.Add("nested-inserts", Bytes(blocks + Entities("0\nINSERT\n2\nS\n70\n2\n71\n2\n44\n3\n45\n3\n")));
  seeds.Add("polyline-bulges-widths",
            Bytes(Entities("0\nPOLYLINE\n66\n1\n70\n0\n40\n0.5\n41\n1\n0\nVERTEX\n10\n0\n20\n0\n42\n0.5\n0\nVERTEX\n"
                           "10\n4\n20\n0\n42\n-2\n0\nVERTEX\n10\n4\n20\n4\n0\nSEQEND\n")));
  seeds.Add("polyface", Bytes(Entities("0\nPOLYLINE\n66\n1\n70\n64\n71\n3\n72\n1\n0\nVERTEX\n70\n192\n10\n0\n20\n0\n"
                                       "0\nVERTEX\n70\n192\n10\n1\n20\n0\n0\nVERTEX\n70\n192\n10\n0\n20\n1\n"
                                       "0\nVERTEX\n70\n128\n71\n1\n72\n-2\n73\n3\n0\nSEQEND\n")));
  seeds.Add("polymesh", Bytes(Entities("0\nPOLYLINE\n66\n1\n70\n49\n71\n2\n72\n2\n0\nVERTEX\n70\n64\n10\n0\n20\n0\n"
                                       "0\nVERTEX\n70\n64\n10\n1\n20\n0\n0\nVERTEX\n70\n64\n10\n0\n20\n1\n"
                                       "0\nVERTEX\n70\n64\n10\n1\n20\n1\n30\n1\n0\nSEQEND\n")));
  seeds.Add("font-test", Bytes(shape_fonts::kTestFont));
  seeds.Add("font-shapes", Bytes(shape_fonts::kShapesFont));
  seeds.Add("font-txt", Bytes(shape_fonts::kTxtFont));
  seeds.Add("font-multiplying", Bytes(shape_fonts::MultiplyingFont()));
  seeds.Add("font-long", Bytes(shape_fonts::LongFont(3000)));
  seeds.Add("font-arcs", Bytes("*0,4,arcs\n10,2,2,0\n*65,26,A\n10,(1,-014),11,(56,28,0,3,012),12,(2,0,127),\n"
                               "13,(2,0,-60),(0,0),14,8,(1,1),5,6,0\n"));
  seeds.Add("arc-extruded-circle", Bytes(Entities("0\nARC\n10\n1\n20\n1\n40\n2\n50\n350\n51\n10\n39\n1\n"
                                                  "0\nCIRCLE\n40\n1\n39\n-1\n210\n0.6\n220\n0\n230\n0.8\n")));
}
