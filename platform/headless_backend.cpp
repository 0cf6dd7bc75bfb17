// Windows that live in memory, input from a script on the virtual clock, scripted answers.
#include <poll.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <sstream>

#include "platform/ansi_text.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/file.h"
#include "platform/headless.h"
#include "platform/print_backend.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

enum class InputKind { kMove, kRelativeMove, kDown, kUp, kKey, kKeyUp, kChar, kMenu, kDrop, kDisplay, kLogout };

struct SInput {
  InputKind kind;
  int32_t a = 0;
  int32_t b = 0;
  int64_t delayMs = 0;
  std::string title;  // of a menu choice
  std::string item;
  std::vector<std::string> paths;  // of a drop
};

struct SDialogAnswer {
  bool cancel = false;
  std::string path;
  uint32_t filterIndex = 0;
};

// The answer of a modal dialog with items: texts for items, then the button pressed.
struct SItemsAnswer {
  int32_t button = 0;
  std::vector<std::pair<int32_t, std::string>> texts;
};

class HeadlessBackend;
HeadlessBackend* gHeadless = nullptr;

class HeadlessBackend : public WindowBackend {
 public:
  HeadlessBackend() {
    gHeadless = this;
    if (!IsVirtualClock()) UseVirtualClock(0);
  }
  ~HeadlessBackend() override { gHeadless = nullptr; }

  bool IsHeadless() const override { return true; }
  PrintBackend* Printing() override { return &HeadlessPrinting(); }

  void Poll() override {
    if (IsVirtualClock()) AdvanceVirtualClock(1);
    // A busy program never waits, so the watched descriptors are also looked at now and then here.
    if (!fWatched.empty() && RealMs() - fLastWatchMs >= kWatchEveryMs) WatchFor(0);
    if (fInputs.empty()) return;
    const SInput input = fInputs.front();
    if (NowMs() - fLastTakenMs < input.delayMs) return;
    fInputs.pop_front();
    fLastTakenMs = NowMs();
    MarkActivity();
    Apply(input);
  }

  // Script input waiting for its moment is reached at once on the virtual clock; with nothing to come
  // the program sleeps for real, so that an idle run does not spin, and a watched descriptor ends the
  // sleep at once.
  void Wait(int64_t ms) override {
    if (!fInputs.empty() && IsVirtualClock()) {
      const int64_t due = fLastTakenMs + fInputs.front().delayMs - NowMs();
      AdvanceVirtualClock(std::clamp<int64_t>(due, 0, ms));
      return;
    }
    if (ms <= 0) return;
    const int64_t start = RealMs();
    const bool early = WatchFor(ms);
    if (IsVirtualClock()) AdvanceVirtualClock(early ? std::clamp<int64_t>(RealMs() - start, 0, ms) : ms);
  }

  // Without a script to play, a program that has drawn nothing and taken nothing for a while is idle.
  int64_t IdleWaitMs(int64_t ms) override {
    return fInputs.empty() ? QuietWaitMs(ms, RealMs() - fLastActivityMs) : ms;
  }

  bool WatchDescriptor(int fd, void (*ready)()) override {
    if (fd < 0 || !ready || fWatched.count(fd)) return false;
    fWatched[fd] = ready;
    return true;
  }

  void UnwatchDescriptor(int fd) override { fWatched.erase(fd); }

  void WindowCreated(SWindow*) override { MarkActivity(); }
  void WindowDestroyed(SWindow*) override { MarkActivity(); }
  void WindowChanged(SWindow*) override { MarkActivity(); }
  void SurfaceChanged(SWindow*) override { MarkActivity(); }

  bool InputMayCome() override { return !fInputs.empty(); }

  Surface* ScreenSurface() override {
    if (fScreen.Width() != fScreenWidth || fScreen.Height() != fScreenHeight) fScreen.Resize(fScreenWidth, fScreenHeight);
    return &fScreen;
  }

  // The whole screen composed again: the desktop colour, then the showing windows from the bottom
  // up, each top-level window with its child windows over it.
  void RefreshScreen(const SWinRect&) override {
    Surface& screen = *ScreenSurface();
    screen.Fill(0, 0, screen.Width(), screen.Height(), fDesktopColor);
    for (int32_t y = 0; y < std::min(fScreenPictureHeight, screen.Height()); ++y) {
      for (int32_t x = 0; x < std::min(fScreenPictureWidth, screen.Width()); ++x)
        screen.Row(y)[x] = fScreenPicture[size_t(y) * size_t(fScreenPictureWidth) + size_t(x)] & 0xFFFFFF;
    }
    ComposeChildren(nullptr, false);
  }

  uint32_t DoubleClickTime() override { return fDoubleClickTime; }

  SPoint CursorPos() override { return fCursor; }
  void PointerWarped(SPoint point) override { fCursor = point; }

  int32_t Metric(int32_t index) override {
    switch (index) {
      case kSmCxScreen: return fScreenWidth;
      case kSmCyScreen: return fScreenHeight;
      default: break;
    }
    const auto it = fMetrics.find(index);
    return it == fMetrics.end() ? 0 : it->second;
  }

  void SetMetric(int32_t index, int32_t value) { fMetrics[index] = value; }

  SWinRect WorkArea() override {
    return fWorkArea.IsEmpty() ? SWinRect{0, 0, fScreenWidth, fScreenHeight} : fWorkArea;
  }
  void SetWorkArea(const SWinRect& area) { fWorkArea = area; }

  int32_t MessageBox(SWindow*, const std::string& text, const std::string& caption, uint32_t style) override {
    // Unscripted, the box takes its default button.
    const uint32_t buttons = style & 0x0F;
    int32_t answer = buttons == kMbYesNo || buttons == kMbYesNoCancel ? kIdYes : kIdOk;
    if (!fBoxAnswers.empty()) {
      answer = fBoxAnswers.front();
      fBoxAnswers.pop_front();
    }
    std::fprintf(stderr, "%s: %s\n", AnsiToUtf8(caption).c_str(), AnsiToUtf8(text).c_str());
    fBoxes.push_back({text, caption, style, answer});
    return answer;
  }

  bool FileDialog(bool save, SFileDialog* dialog, uint32_t* error) override {
    fDialogs.push_back({save, *dialog});
    *error = 0;
    if (fDialogAnswers.empty()) return false;
    const SDialogAnswer answer = fDialogAnswers.front();
    fDialogAnswers.pop_front();
    if (answer.cancel) return false;
    dialog->file = answer.path;
    uint32_t index = answer.filterIndex ? answer.filterIndex : FilterMatching(dialog->filter, answer.path);
    dialog->filterIndex = index ? index : std::max<uint32_t>(dialog->filterIndex, 1);
    return true;
  }

  bool TakeDialogAnswer(int32_t* button, std::vector<std::pair<int32_t, std::string>>* texts) override {
    if (fItemsAnswers.empty()) return false;
    *button = fItemsAnswers.front().button;
    *texts = std::move(fItemsAnswers.front().texts);
    fItemsAnswers.pop_front();
    return true;
  }

  bool ChooseCompression() override {
    if (fCompressionAnswers.empty()) return true;
    const bool chosen = fCompressionAnswers.front();
    fCompressionAnswers.pop_front();
    return chosen;
  }

  bool TakePrintAnswer(SPrintAnswer* answer) override {
    if (fPrintAnswers.empty()) return false;
    *answer = fPrintAnswers.front();
    fPrintAnswers.pop_front();
    return true;
  }

  bool AddScript(const std::string& text, std::string* error) {
    std::deque<SInput> inputs;
    std::deque<int32_t> boxes;
    std::deque<SDialogAnswer> dialogs;
    std::deque<bool> compressions;
    std::deque<SItemsAnswer> items;
    std::deque<SPrintAnswer> prints;
    std::istringstream lines(text);
    std::string line;
    int64_t pendingDelay = 0;
    for (int number = 1; std::getline(lines, line); ++number) {
      std::string reason;
      if (!ParseLine(line, &inputs, &boxes, &dialogs, &compressions, &items, &prints, &pendingDelay, &reason)) {
        if (error) *error = "line " + std::to_string(number) + ": " + reason;
        return false;
      }
    }
    if (fInputs.empty()) fLastTakenMs = NowMs();
    fInputs.insert(fInputs.end(), inputs.begin(), inputs.end());
    fBoxAnswers.insert(fBoxAnswers.end(), boxes.begin(), boxes.end());
    fDialogAnswers.insert(fDialogAnswers.end(), dialogs.begin(), dialogs.end());
    fCompressionAnswers.insert(fCompressionAnswers.end(), compressions.begin(), compressions.end());
    fItemsAnswers.insert(fItemsAnswers.end(), items.begin(), items.end());
    fPrintAnswers.insert(fPrintAnswers.end(), prints.begin(), prints.end());
    return true;
  }

  bool ClipboardEmpty() override {
    fClipboard.clear();
    return true;
  }
  bool ClipboardHas(uint32_t format) override { return fClipboard.count(format) != 0; }
  bool ClipboardSet(uint32_t format, std::vector<uint8_t> bytes) override {
    fClipboard[format] = std::move(bytes);
    return true;
  }
  bool ClipboardGet(uint32_t format, std::vector<uint8_t>* bytes) override {
    const auto it = fClipboard.find(format);
    if (it == fClipboard.end()) return false;
    *bytes = it->second;
    return true;
  }

  void AnswerFileDialog(const std::string& path, uint32_t filterIndex) {
    fDialogAnswers.push_back({false, path, filterIndex});
  }

  size_t PendingInputs() const { return fInputs.size(); }
  void SetScreenSize(int32_t width, int32_t height) {
    fScreenWidth = width;
    fScreenHeight = height;
  }
  void SetDesktopColor(uint32_t color) { fDesktopColor = color & 0xFFFFFF; }
  void SetScreenPicture(int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    const bool whole = width > 0 && height > 0 && pixels.size() >= size_t(width) * size_t(height);
    fScreenPicture = whole ? pixels : std::vector<uint32_t>();
    fScreenPictureWidth = whole ? width : 0;
    fScreenPictureHeight = whole ? height : 0;
  }
  uint32_t ScreenPixel(int32_t x, int32_t y) { return ScreenSurface()->Pixel(x, y); }
  void SetDoubleClickTime(uint32_t ms) { fDoubleClickTime = ms; }
  const std::vector<headless::SShownBox>& Boxes() const { return fBoxes; }
  const std::vector<headless::SAskedDialog>& Dialogs() const { return fDialogs; }

 private:
  void Apply(const SInput& input) {
    switch (input.kind) {
      case InputKind::kMove:
      case InputKind::kRelativeMove:
        fCursor = input.kind == InputKind::kMove ? SPoint{input.a, input.b}
                                                 : SPoint{fCursor.x + input.a, fCursor.y + input.b};
        SetCursorPosition(fCursor);
        QueuePointerMove(fCursor);
        break;
      case InputKind::kDown: QueueButton(input.a == 0, true); break;
      case InputKind::kUp: QueueButton(input.a == 0, false); break;
      case InputKind::kKey: QueueKey(nullptr, uint32_t(input.a), true); break;
      case InputKind::kKeyUp: QueueKey(nullptr, uint32_t(input.a), false); break;
      case InputKind::kChar: QueueChar(nullptr, uint32_t(input.a)); break;
      case InputKind::kMenu: {
        MenuHandle menu = nullptr;
        uint32_t position = 0;
        if (FindMenuBarItem(input.title, input.item, &menu, &position)) ChooseMenuItem(menu, position);
        else std::fprintf(stderr, "headless script: no menu item \"%s\" under \"%s\"\n", input.item.c_str(),
                          input.title.c_str());
        break;
      }
      case InputKind::kDrop:
        if (!DeliverDroppedFiles(WindowFromPoint({input.a, input.b}), {input.a, input.b}, input.paths))
          std::fprintf(stderr, "headless script: no window at (%d, %d) takes dropped files\n", input.a, input.b);
        break;
      case InputKind::kDisplay:
        SetScreenSize(input.a, input.b);
        NotifyDisplayChange();
        break;
      case InputKind::kLogout: NotifyQueryEndSession(); break;
    }
  }

  // The words of a line, a text in quotes being one word without its quotes.
  static std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
      if (std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
        continue;
      }
      const bool quoted = text[i] == '"';
      const size_t end = quoted ? text.find('"', i + 1) : text.find_first_of(" \t", i);
      const size_t stop = end == std::string::npos ? text.size() : end;
      words.push_back(text.substr(i + (quoted ? 1 : 0), stop - i - (quoted ? 1 : 0)));
      i = stop + (quoted && end != std::string::npos ? 1 : 0);
    }
    return words;
  }

  void ComposeChildren(const SWindow* parent, bool children) {
    std::vector<SWindow*> list;
    for (SWindow* w : AllWindows()) {
      if (IsChildWindow(w) == children && (!children || w->parent == parent) && IsShowing(w)) list.push_back(w);
    }
    std::sort(list.begin(), list.end(), [](const SWindow* a, const SWindow* b) { return a->z < b->z; });
    for (SWindow* w : list) {
      for (int32_t y = 0; y < w->surface.Height(); ++y) {
        const int32_t sy = w->rect.top + y;
        if (sy < 0 || sy >= fScreen.Height()) continue;
        for (int32_t x = std::max(0, -w->rect.left); x < w->surface.Width() && w->rect.left + x < fScreen.Width(); ++x)
          fScreen.Row(sy)[w->rect.left + x] = w->surface.Row(y)[x];
      }
      ComposeChildren(w, true);
    }
  }

  // The 1-based index of the first filter with a pattern "*.ext" for the path's extension, ignoring
  // case; 0 when none has one.
  static uint32_t FilterMatching(const std::string& filter, const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 0;
    const std::string wanted = Lowered("*" + path.substr(dot));
    std::vector<std::string> parts;
    for (size_t at = 0; at < filter.size();) {
      const size_t end = std::min(filter.find('\0', at), filter.size());
      parts.push_back(filter.substr(at, end - at));
      at = end + 1;
    }
    for (size_t pair = 0; pair + 1 < parts.size(); pair += 2) {
      std::istringstream patterns(parts[pair + 1]);
      for (std::string pattern; std::getline(patterns, pattern, ';');) {
        if (Lowered(pattern) == wanted) return uint32_t(pair / 2 + 1);
      }
    }
    return 0;
  }

  static std::string Lowered(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }

  static bool ParseNumber(const std::string& word, int32_t* value) {
    if (word.empty()) return false;
    char* end = nullptr;
    const long n = std::strtol(word.c_str(), &end, 0);
    if (*end != 0) return false;
    *value = int32_t(n);
    return true;
  }

  static bool ParseKey(const std::string& word, int32_t* vk) {
    if (const uint32_t named = VirtualKeyNamed(word.c_str())) {
      *vk = int32_t(named);
      return true;
    }
    return ParseNumber(word, vk) && *vk > 0 && *vk < 256;
  }

  // A chord as xdotool's key command takes it ("ctrl+shift+s", "Tab"): its keys go down in order,
  // then Shift, Ctrl and Alt come up in that order, then the others.
  static bool ParseStroke(const std::string& chord, std::deque<SInput>* inputs, int64_t* delay) {
    static const std::map<std::string, std::string> kAliases{{"shift", "Shift_L"}, {"ctrl", "Control_L"},
                                                             {"alt", "Alt_L"}};
    std::vector<int32_t> keys;
    std::istringstream parts(chord);
    for (std::string part; std::getline(parts, part, '+');) {
      const auto alias = kAliases.find(part);
      int32_t vk = 0;
      if (!ParseKey(alias == kAliases.end() ? part : alias->second, &vk)) return false;
      keys.push_back(vk);
    }
    if (keys.empty()) return false;
    for (int32_t vk : keys) {
      inputs->push_back({InputKind::kKey, vk, 0, *delay, {}, {}, {}});
      *delay = 0;
    }
    std::vector<int32_t> ups;
    for (int32_t modifier : {kVkShift, kVkControl, kVkMenu}) {
      if (std::find(keys.begin(), keys.end(), modifier) != keys.end()) ups.push_back(modifier);
    }
    for (int32_t vk : keys) {
      if (std::find(ups.begin(), ups.end(), vk) == ups.end()) ups.push_back(vk);
    }
    for (int32_t vk : ups) inputs->push_back({InputKind::kKeyUp, vk, 0, 0, {}, {}, {}});
    return true;
  }

  // "dialog BUTTON [ID=VALUE]...": a value holds blanks where it is written in quotes.
  static bool ParseItemsAnswer(const std::string& rest, SItemsAnswer* answer, std::string* reason) {
    std::vector<std::string> words(1);
    bool quoted = false;
    for (char c : rest) {
      if (c == '"') quoted = !quoted;
      else if (!quoted && std::isspace(static_cast<unsigned char>(c))) words.emplace_back();
      else words.back() += c;
    }
    std::erase_if(words, [](const std::string& w) { return w.empty(); });
    if (words.empty() || !ParseNumber(words[0], &answer->button)) return *reason = "dialog needs a button id", false;
    for (size_t i = 1; i < words.size(); ++i) {
      const size_t equals = words[i].find('=');
      int32_t id = 0;
      if (equals == std::string::npos || !ParseNumber(words[i].substr(0, equals), &id))
        return *reason = "dialog needs ID=VALUE after the button: " + words[i], false;
      answer->texts.push_back({id, Utf8ToAnsi(words[i].substr(equals + 1))});
    }
    return true;
  }

  // "print DPI_X DPI_Y PAGE_W PAGE_H COPIES" or "print cancel".
  static bool ParsePrintAnswer(const std::string& rest, std::deque<SPrintAnswer>* prints, std::string* reason) {
    if (rest == "cancel") {
      prints->push_back({});
      return true;
    }
    std::istringstream words(rest);
    std::string word;
    int32_t values[5] = {};
    size_t count = 0;
    while (words >> word) {
      if (count >= 5 || !ParseNumber(word, &values[count]) || values[count] <= 0) count = 6;
      else ++count;
    }
    if (count != 5) return *reason = "print needs DPI_X DPI_Y PAGE_W PAGE_H COPIES, all above 0, or cancel", false;
    prints->push_back({false, values[0], values[1], values[2], values[3], uint32_t(values[4])});
    return true;
  }

  static bool ParseLine(const std::string& raw, std::deque<SInput>* inputs, std::deque<int32_t>* boxes,
                        std::deque<SDialogAnswer>* dialogs, std::deque<bool>* compressions,
                        std::deque<SItemsAnswer>* items, std::deque<SPrintAnswer>* prints, int64_t* delay,
                        std::string* reason) {
    const std::string line = raw.substr(0, raw.find('#'));
    std::istringstream words(line);
    std::string verb;
    if (!(words >> verb)) return true;
    std::string rest;
    std::getline(words >> std::ws, rest);
    while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back()))) rest.pop_back();
    std::istringstream args(rest);
    std::string a, b;
    args >> a >> b;
    int32_t x = 0, y = 0;
    auto push = [&](InputKind kind, int32_t first, int32_t second, std::string title = {}, std::string item = {}) {
      inputs->push_back({kind, first, second, *delay, std::move(title), std::move(item), {}});
      *delay = 0;
      return true;
    };
    if (verb == "wait") {
      if (!ParseNumber(a, &x) || x < 0) return *reason = "wait needs a number of milliseconds", false;
      *delay += x;
      return true;
    }
    if (verb == "move") {
      if (!ParseNumber(a, &x) || !ParseNumber(b, &y)) return *reason = "move needs X and Y", false;
      return push(InputKind::kMove, x, y);
    }
    if (verb == "rmove") {
      if (!ParseNumber(a, &x) || !ParseNumber(b, &y)) return *reason = "rmove needs DX and DY", false;
      return push(InputKind::kRelativeMove, x, y);
    }
    if (verb == "down" || verb == "up") {
      if (a != "left" && a != "right") return *reason = verb + " needs left or right", false;
      return push(verb == "down" ? InputKind::kDown : InputKind::kUp, a == "left" ? 0 : 1, 0);
    }
    if (verb == "key" || verb == "keyup") {
      if (!ParseKey(a, &x)) return *reason = "not a virtual key: " + a, false;
      return push(verb == "key" ? InputKind::kKey : InputKind::kKeyUp, x, 0);
    }
    if (verb == "stroke") {
      std::vector<std::string> chords = Words(rest);
      if (chords.empty()) return *reason = "stroke needs keys such as ctrl+shift+s", false;
      for (const std::string& chord : chords) {
        if (!ParseStroke(chord, inputs, delay)) return *reason = "not a stroke of keys: " + chord, false;
      }
      return true;
    }
    if (verb == "char") {
      if (rest.size() == 1) return push(InputKind::kChar, static_cast<unsigned char>(rest[0]), 0);
      if (!ParseNumber(rest, &x)) return *reason = "char needs one character or a number", false;
      return push(InputKind::kChar, x, 0);
    }
    if (verb == "menu") {
      const std::vector<std::string> words = Words(rest);
      if (words.size() != 2) return *reason = "menu needs a title and an item", false;
      return push(InputKind::kMenu, 0, 0, Utf8ToAnsi(words[0]), Utf8ToAnsi(words[1]));
    }
    if (verb == "drop") {
      std::vector<std::string> words = Words(rest);
      if (words.size() < 3 || !ParseNumber(words[0], &x) || !ParseNumber(words[1], &y))
        return *reason = "drop needs X, Y and at least one path", false;
      push(InputKind::kDrop, x, y);
      inputs->back().paths.assign(words.begin() + 2, words.end());
      return true;
    }
    if (verb == "display") {
      if (!ParseNumber(a, &x) || !ParseNumber(b, &y) || x <= 0 || y <= 0)
        return *reason = "display needs a width and a height", false;
      return push(InputKind::kDisplay, x, y);
    }
    if (verb == "logout") return push(InputKind::kLogout, 0, 0);
    if (verb == "box") {
      if (!ParseNumber(a, &x)) return *reason = "box needs an answer number", false;
      boxes->push_back(x);
      return true;
    }
    if (verb == "open" || verb == "save") {
      if (rest.empty()) return *reason = verb + " needs a path", false;
      dialogs->push_back({false, rest, 0});
      return true;
    }
    if (verb == "cancel") {
      dialogs->push_back({true, {}, 0});
      return true;
    }
    if (verb == "dialog") {
      SItemsAnswer answer;
      if (!ParseItemsAnswer(rest, &answer, reason)) return false;
      items->push_back(std::move(answer));
      return true;
    }
    if (verb == "compression") {
      if (a != "full" && a != "cancel") return *reason = "compression needs full or cancel", false;
      compressions->push_back(a == "full");
      return true;
    }
    if (verb == "print") return ParsePrintAnswer(rest, prints, reason);
    *reason = "unknown event: " + verb;
    return false;
  }

  void MarkActivity() { fLastActivityMs = RealMs(); }

  // Sleeps up to ms (0: only looks) until a watched descriptor can be read, and calls its reader; true
  // when the sleep ended early.
  bool WatchFor(int64_t ms) {
    fLastWatchMs = RealMs();
    std::vector<pollfd> fds;
    for (const auto& [fd, ready] : fWatched) fds.push_back({fd, POLLIN, 0});
    const int answer = ::poll(fds.data(), nfds_t(fds.size()), int(std::min<int64_t>(ms, INT32_MAX)));
    if (answer < 0) return true;  // a signal
    for (const pollfd& p : fds) {
      const auto watched = fWatched.find(p.fd);
      if (!(p.revents & (POLLIN | POLLHUP | POLLERR)) || watched == fWatched.end()) continue;
      MarkActivity();
      watched->second();
    }
    return answer > 0;
  }

  static constexpr int64_t kWatchEveryMs = 10;

  std::map<int, void (*)()> fWatched;
  int64_t fLastWatchMs = 0;
  int64_t fLastActivityMs = RealMs();
  std::deque<SInput> fInputs;
  std::deque<int32_t> fBoxAnswers;
  std::deque<SDialogAnswer> fDialogAnswers;
  std::deque<bool> fCompressionAnswers;
  std::deque<SItemsAnswer> fItemsAnswers;
  std::deque<SPrintAnswer> fPrintAnswers;
  int64_t fLastTakenMs = 0;
  SPoint fCursor;
  int32_t fScreenWidth = 1024;
  int32_t fScreenHeight = 768;
  // The menu bar's height, the border and the dialog frame, unless a test sets them.
  std::map<int32_t, int32_t> fMetrics{{kSmCyCaption, 19}, {kSmCyMenu, 19}, {kSmCxBorder, 1}, {kSmCyBorder, 1},
                                      {kSmCxDlgFrame, 3}, {kSmCyDlgFrame, 3}};
  SWinRect fWorkArea;  // empty: the whole screen
  Surface fScreen;
  uint32_t fDesktopColor = 0;
  std::vector<uint32_t> fScreenPicture;
  int32_t fScreenPictureWidth = 0;
  int32_t fScreenPictureHeight = 0;
  uint32_t fDoubleClickTime = 500;
  std::vector<headless::SShownBox> fBoxes;
  std::vector<headless::SAskedDialog> fDialogs;
  std::map<uint32_t, std::vector<uint8_t>> fClipboard;
};

HeadlessBackend& Headless() {
  Backend();
  if (!gHeadless) {
    std::fprintf(stderr, "The headless controls need QUARN2_HEADLESS set.\n");
    std::abort();
  }
  return *gHeadless;
}

}  // namespace

WindowBackend* NewHeadlessBackend() { return new HeadlessBackend; }

namespace headless {

bool AddScript(const std::string& text, std::string* error) { return Headless().AddScript(text, error); }

bool LoadScriptFile(const std::string& path, std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    if (error) *error = IsFolder(path) ? "is a folder" : "cannot be read";
    return false;
  }
  return AddScript(text, error);
}

bool LoadScriptFromEnvironment() {
  const char* script = std::getenv("QUARN2_SCRIPT");
  if (!script || !*script || !IsHeadless()) return true;
  std::string error;
  if (LoadScriptFile(script, &error)) return true;
  std::fprintf(stderr, "%s: %s\n", script, error.c_str());
  return false;
}

size_t PendingInputs() { return Headless().PendingInputs(); }

void AnswerFileDialog(const std::string& path, uint32_t filterIndex) { Headless().AnswerFileDialog(path, filterIndex); }

void SetScreenSize(int32_t width, int32_t height) { Headless().SetScreenSize(width, height); }

void SetMetric(int32_t index, int32_t value) { Headless().SetMetric(index, value); }

void SetWorkArea(const SWinRect& area) { Headless().SetWorkArea(area); }

void SetDesktopColor(uint32_t color) { Headless().SetDesktopColor(color); }
void SetScreenPicture(int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
  Headless().SetScreenPicture(width, height, pixels);
}

uint32_t ScreenPixel(int32_t x, int32_t y) { return Headless().ScreenPixel(x, y); }

void SetDoubleClickTime(uint32_t ms) { Headless().SetDoubleClickTime(ms); }

const std::vector<SShownBox>& ShownBoxes() { return Headless().Boxes(); }

const std::vector<SAskedDialog>& AskedDialogs() { return Headless().Dialogs(); }

uint32_t CursorSetCount() { return platform::CursorSetCount(); }

std::string CursorDescription(CursorHandle handle) {
  const SCursor* cursor = CursorOf(handle);
  if (!cursor) return "none";
  switch (cursor->kind) {
    case SCursor::Kind::kArrow: return "arrow";
    case SCursor::Kind::kWait: return "wait";
    case SCursor::Kind::kIBeam: return "ibeam";
    case SCursor::Kind::kShape: return "shape " + std::to_string(cursor->number);
    case SCursor::Kind::kPicture:
      return "picture " + cursor->name + " hot " + std::to_string(cursor->hotX) + "," + std::to_string(cursor->hotY);
  }
  return "none";
}

uint32_t WindowCount(const std::string& className) {
  return uint32_t(std::count_if(AllWindows().begin(), AllWindows().end(),
                                [&](const SWindow* w) { return w->className == className; }));
}

uint32_t FrameRecomputations(WindowHandle window) {
  WindowHandle w = FindLiveWindow(window);
  return w ? w->frameRecomputations : 0;
}

bool IsMenuBarShown(WindowHandle window) {
  WindowHandle w = FindLiveWindow(window);
  return w && w->menuBarShown;
}

}  // namespace headless
}  // namespace platform
