// Command codes: the dispatcher, the UI messages and keys that become codes, and a new document.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/control_palette.h"
#include "document/prefs_file.h"
#include "framework/core/four_cc.h"
#include "framework/ui/console.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/tx_element.h"
#include "panels/doc_setup.h"
#include "panels/edit_obj_attrs.h"
#include "panels/export_render.h"
#include "panels/prefs.h"
#include "panels/replicate.h"
#include "editors/material/dt_editor.h"
#include "editors/material/material_composer.h"
#include "editors/material/pict_textures.h"
#include "framework/core/holder.h"
#include "framework/core/spool_sys.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/factory.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"
#include "tests/app/shell_fixture.h"

namespace {

using Calls = std::vector<std::string>;

uint32_t Code(const char* text) {
  return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 | uint32_t(uint8_t(text[2])) << 8 |
         uint32_t(uint8_t(text[3]));
}
using CommandDispatch = ShellTest;

CUIMessage Message(uint32_t kind, const char* canvas, const char* element) {
  CUIMessage message;
  message.Init(kind, element, nullptr, canvas, 0);
  return message;
}

TEST_F(CommandDispatch, CodesReachTheDocumentWindow) {
  Run([&] {
    struct SCase {
      const char* code;
      int32_t answer;
      Calls calls;
    } cases[] = {
        {"zzzz", 26, {}},
        {"save", 26, {"SaveDocument 0"}},
        {"svas", 26, {"SaveDocument 1"}},
        {"undo", 26, {"EditCommand undo"}},
        {"edit", 26, {"EditSelection"}},
        {"flya", 26, {"FlyAround"}},
        {"crnd", 26, {"HandleEvent 0 \"clear & render button\" \"doc window\" 0",
          "HandleControlMessage 0 \"clear & render button\" \"doc window\" 0"}},
        {"rndr", 26, {"HandleEvent 0 \"resume render button\" \"doc window\" 0",
          "HandleControlMessage 0 \"resume render button\" \"doc window\" 0"}},
        // The display palette's reset draws the window with its background first.
        {"rese", 26,
         {"Invalidate scene", "HandleControlMessage 0 \"render options menu\" \"\" 1919251248", "Invalidate view",
          "HandleControlMessage 2 \"view control\" \"doc window\" 7", "Invalidate view", "Invalidate view"}},
        {"mrge", 26, {"OpenDocument 1 - 0"}},
    };
    for (const SCase& c : cases) {
      CDocWindowDouble::gCalls.clear();
      EXPECT_EQ(pm->DoCommand(Code(c.code)), c.answer) << c.code;
      EXPECT_EQ(CDocWindowDouble::gCalls, c.calls) << c.code;
    }
    EXPECT_TRUE(app->IsRunning());
  });
}

TEST_F(CommandDispatch, QuitAsksFirstAndNeverTwiceNorWhileBusy) {
  Run([&] {
    int32_t inside = 0;
    CDocWindowDouble::gDuring = [&] { inside = pm->DoCommand(FourCC("quit")); };
    EXPECT_EQ(pm->DoCommand(FourCC("save")), 26);
    EXPECT_EQ(inside, 24);
    EXPECT_TRUE(app->IsRunning());

    window->SetFlags(CDocWindow::kUnsavedChanges);
    CDocWindowDouble::gCalls.clear();
    EXPECT_EQ(pm->DoCommand(FourCC("quit")), 26);
    EXPECT_EQ(pm->DoCommand(FourCC("quit")), 26);
    EXPECT_EQ(CDocWindowDouble::gCalls, Calls{"AskToSaveChanges 4"});
    EXPECT_TRUE(app->IsRunning());

    window->ClearFlags(CDocWindow::kUnsavedChanges | CDocWindow::kQuitAfterQuestion);
    EXPECT_EQ(pm->DoCommand(FourCC("quit")), 26);
    EXPECT_FALSE(app->IsRunning());
  });
}

TEST_F(CommandDispatch, OpenWithAltOpensMarksTheFileAndLinksThePalettes) {
  Run([&] {
    CControlPalette* control = GetCurrentControlPalette();
    control->SelectView(3);
    Play("key 18");
    EXPECT_EQ(pm->DoCommand(FourCC("open")), 26);
    EXPECT_EQ(CDocWindowDouble::gCalls.back(), "OpenDocument 0 - 1");
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kHasFile);
    EXPECT_EQ(control->GetCurrentView(), 0u);
    Play("keyup 18");

    window->ClearFlags(CDocWindow::kHasFile);
    CDocWindowDouble::gOpenAnswer = 24;
    EXPECT_EQ(pm->DoCommand(FourCC("open")), 24);
    EXPECT_EQ(CDocWindowDouble::gCalls.back(), "OpenDocument 0 - 0");
    EXPECT_FALSE(window->GetFlags() & CDocWindow::kHasFile);
  });
}

// Each dialog is built on its first use only, and comes up as the top modal level.
TEST_F(CommandDispatch, DialogCodesBuildTheirDialogOnceAndBringItUp) {
  Run([&] {
    const SCanvasTable* t = pm->GetCanvases();
    struct SCase {
      const char* code;
      CLayoutHostCanvas* dialog;
    } cases[] = {{"attr", t->editObjAttrs}, {"pref", t->prefs}, {"mrep", t->replicate}};
    SelectFirstObject();
    for (const SCase& c : cases) {
      for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pm->DoCommand(Code(c.code)), 26) << c.code;
        EXPECT_EQ(c.dialog->GetBuildCount(), 1u) << c.code;
        EXPECT_TRUE(c.dialog->IsShown()) << c.code;
        EXPECT_FALSE(c.dialog->IsStale()) << c.code;
        EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), 1u) << c.code;
        c.dialog->Close();
        EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), 0u) << c.code;
      }
    }
    // The set-up dialog shows; its "ok" answers with the document's size: "size document" to the
    // document window.
    EXPECT_EQ(pm->DoCommand(FourCC("dset")), 26);
    EXPECT_EQ(t->docSetup->GetBuildCount(), 1u);
    EXPECT_TRUE(t->docSetup->IsShown());
    EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), 1u);
    CUIMessage ok = Message(0, "doc setup", "ok");
    pm->GetBroadcaster()->Dispatch(&ok);
    EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), 0u);
    CDocWindowDouble::gCalls.clear();
    pm->GetBroadcaster()->DispatchQueued();
    EXPECT_EQ(CDocWindowDouble::gCalls, (Calls{"HandleEvent 0 \"size document\" \"doc window\" 0",
                                               "HandleControlMessage 0 \"size document\" \"doc window\" 0",
                                               "Invalidate view"}));
  });
}

// Export Render Size opens the export render dialog filled from the document window.
TEST_F(CommandDispatch, ExportRenderSizeOpensTheDialogFilledFromTheWindow) {
  Run([&] {
    CExportRender* dialog = pm->GetCanvases()->exportRender;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(pm->DoCommand(FourCC("expt")), 26);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), 1u);
    EXPECT_EQ((SPointHV{dialog->GetWidth(), dialog->GetHeight()}), window->GetWindowImageSize());
    CElement* title = nullptr;
    ASSERT_EQ(CElSystem::FindByName(dialog->GetRoot(), "doc title", &title), 0);
    EXPECT_STREQ(dynamic_cast<CTxElement*>(title)->GetText(), window->GetTitle());
    dialog->Close();
  });
}

// A command that finds its dialog already shown only brings it forward: the modal level goes up once,
// so that one close gives the palettes back.
TEST_F(CommandDispatch, ADialogCommandGivenTwiceRaisesTheModalLevelOnce) {
  Run([&] {
    const struct {
      uint32_t code;
      CLayoutHostCanvas* dialog;
    } cases[] = {{FourCC("expt"), pm->GetCanvases()->exportRender},
                 {FourCC("e2dP"), pm->GetCanvases()->pictTextures},
                 {FourCC("pref"), pm->GetCanvases()->prefs}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.code);
      ASSERT_NE(c.dialog, nullptr);
      EXPECT_EQ(pm->DoCommand(c.code), 26);
      EXPECT_EQ(pm->DoCommand(c.code), 26);
      EXPECT_TRUE(c.dialog->IsShown());
      EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), 1u);
      c.dialog->Close();
      EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), 0u);
    }
  });
}

// 2D Pictures opens the pictures dialog on the window's pictures, with no caller: its "ok" gives the
// picture to the selection.
TEST_F(CommandDispatch, TwoDPicturesOpensThePicturesDialog) {
  Run([&] {
    CPictTextures* dialog = pm->GetCanvases()->pictTextures;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(pm->DoCommand(FourCC("e2dP")), 26);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(dialog->GetCallerName(), nullptr);
    EXPECT_EQ(dialog->GetCurrentSlot(), dialog->GetSlot(0));
    EXPECT_FALSE(pm->GetCanvases()->dtEditor->IsShown());
    dialog->Close();
  });
}

// Shift on 2D Pictures opens the full texture editor on a texture of the library; with Alt, the sky
// editor's "edit stratus" and "edit cumulus" open it on the library's textures 1 and 2.
TEST_F(CommandDispatch, TheTextureEditorCommandsOpenItOnTheLibrary) {
  Run([&] {
    const SCanvasTable* t = pm->GetCanvases();
    CDTEditor* editor = t->dtEditor;
    Play("key 16");
    EXPECT_EQ(pm->DoCommand(FourCC("e2dP")), 26);
    Play("keyup 16");
    EXPECT_TRUE(editor->IsShown());
    EXPECT_TRUE(editor->AreControlsBound());
    EXPECT_NE(editor->GetWorkingTexture(), nullptr);
    EXPECT_EQ(editor->GetTextureSource(), t->files[kTexturesFile]);
    editor->Close();
    for (auto [element, name] : {std::pair{"edit stratus", "Stratus"}, std::pair{"edit cumulus", "Cumulus"}}) {
      Play("key 18");
      CUIMessage message = Message(0, "edit skyfog", element);
      pm->HandleUIMessage(&message);
      Play("keyup 18");
      EXPECT_TRUE(editor->IsShown()) << element;
      EXPECT_STREQ(editor->GetTextureName(), name);
      editor->Close();
    }
  });
}

// The normal layout keeps the menu bar up for each command; the maximised one leaves it hidden.
TEST_F(CommandDispatch, TheNormalLayoutShowsTheMenuBarBeforeEachCommand) {
  Run([&] {
    ASSERT_TRUE(pm->GetLayoutFlag());
    app->HideMenuBar();
    pm->DoCommand(FourCC("zzzz"));
    EXPECT_FALSE(app->IsMenuBarHidden());
    pm->ResetPalettes(true, false);
    app->HideMenuBar();
    pm->DoCommand(FourCC("zzzz"));
    EXPECT_TRUE(app->IsMenuBarHidden());
  });
}

TEST_F(CommandDispatch, UIMessagesBecomeCommandsAndLayouts) {
  Run([&] {
    const SCanvasTable* t = pm->GetCanvases();
    struct SCase {
      const char* canvas;
      const char* element;
      int32_t answer;
      Calls calls;
      CLayoutHostCanvas* shown;
    } cases[] = {
        {"control palette", "fly through control", 26, {"FlyAround"}, nullptr},
        {"menu bar", "attibutes", 26, {}, t->editObjAttrs},
        {"menu bar", "preferences", 26, {}, t->prefs},
        {"menu bar", "about", 1, {}, nullptr},
        {"doc image", "mat chiclet", 26, {}, t->materialComposer},
        {"edit palette", "edit object", 26, {"EditSelection"}, nullptr},
        {"no such canvas", "no such element", 0, {}, nullptr},
    };
    SelectFirstObject();
    for (const SCase& c : cases) {
      CDocWindowDouble::gCalls.clear();
      CUIMessage message = Message(0, c.canvas, c.element);
      EXPECT_EQ(pm->HandleUIMessage(&message), c.answer) << c.element;
      EXPECT_EQ(CDocWindowDouble::gCalls, c.calls) << c.element;
      if (c.shown) {
        EXPECT_TRUE(c.shown->IsShown()) << c.element;
        c.shown->Close();
      }
    }
    CUIMessage setup = Message(0, "menu bar", "doc setup");
    EXPECT_EQ(pm->HandleUIMessage(&setup), 26);
    EXPECT_TRUE(pm->GetCanvases()->docSetup->IsShown());
    pm->GetCanvases()->docSetup->Close();
  });
}

TEST_F(CommandDispatch, UiMinMaxTogglesTheLayoutAndKeepsItInThePreferences) {
  std::vector<uint8_t> block(2772, 0);
  FILE* file = std::fopen("Quarn2 Prefs", "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(block.data(), 1, block.size(), file);
  std::fclose(file);
  Run([&] {
    auto storedLayout = [] {
      CPrefsFile prefs;
      return prefs.GetWord(80);
    };
    CUIMessage toggle = Message(0, "any canvas", "ui min max");
    EXPECT_EQ(pm->HandleUIMessage(&toggle), 26);
    EXPECT_FALSE(pm->GetLayoutFlag());
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kViewIsCanvas);
    EXPECT_EQ(storedLayout(), 1);
    EXPECT_EQ(pm->HandleUIMessage(&toggle), 26);
    EXPECT_TRUE(pm->GetLayoutFlag());
    EXPECT_EQ(storedLayout(), 0);
    pm->ResetPalettes(true, false);
    CUIMessage reset = Message(0, "another canvas", "reset palettes");
    EXPECT_EQ(pm->HandleUIMessage(&reset), 26);
    EXPECT_TRUE(pm->GetLayoutFlag());
  });
}

// A new document is a new window of its own size with the default scene: nothing unsaved, no file.
TEST_F(CommandDispatch, ANewDocumentReplacesTheWindow) {
  Run([&] {
    CDocWindow* old = window;
    CUIMessage message = Message(0, "doc window", "new document");
    message.firstPoint = {640, 480};
    message.secondPoint = {320, 240};
    CDocWindowDouble::gCalls.clear();
    EXPECT_EQ(pm->HandleUIMessage(&message), 26);
    CDocWindow* fresh = pm->GetDocWindow();
    ASSERT_NE(fresh, old);
    EXPECT_EQ(GetCurrentDocWindow(), fresh);
    EXPECT_EQ(CDocWindowDouble::gCalls.front(), "Init 640x480 320x240");
    EXPECT_EQ(fresh->GetWindowImageSize(), (SPointHV{640, 480}));
    EXPECT_EQ(fresh->GetFlags() & (CDocWindow::kUnsavedChanges | CDocWindow::kHasFile), 0u);
    EXPECT_EQ(fresh->GetNanoEditor(), pm->GetCanvases()->nanoEditor);
    EXPECT_TRUE(fresh->IsShown());
    CUICmFunction* broadcaster = pm->GetBroadcaster();
    EXPECT_EQ((*broadcaster)[broadcaster->GetCount() - 1].owner, pm);
    // The save question comes before the set-up dialog: with changes, 'ndoc' only asks. (The new
    // window's settings from the control palette may have queued the preview's notice already.)
    const uint32_t queued = broadcaster->GetQueueCount();
    fresh->SetFlags(CDocWindow::kUnsavedChanges);
    EXPECT_EQ(pm->DoCommand(FourCC("ndoc")), 26);
    EXPECT_EQ(broadcaster->GetQueueCount(), queued);
    fresh->ClearFlags(CDocWindow::kUnsavedChanges);
    EXPECT_EQ(pm->DoCommand(FourCC("ndoc")), 26);
    EXPECT_TRUE(pm->GetCanvases()->docSetup->IsShown());
    EXPECT_EQ(broadcaster->GetQueueCount(), queued);
    CUIMessage ok = Message(0, "doc setup", "ok");
    broadcaster->Dispatch(&ok);
    ASSERT_EQ(broadcaster->GetQueueCount(), queued + 1);
  });
}

// The new window takes over what the old one kept outside its scene: the views stored in the view
// dots, which the control palette's dots go on showing, and the copied material with its texture.
TEST_F(CommandDispatch, ANewDocumentKeepsTheViewDotsAndTheCopiedMaterial) {
  Run([&] {
    CDocWindow* old = window;
    C3dCamera* dot = old->GetViewCamera(CDocWindow::kFirstViewDot + 3);
    ASSERT_NE(dot, nullptr);
    dot->GetView().target = {1, 2, 3};
    dot->SetTransformVector3({4, 5, 6});
    dot->SetStateFlags(0x80000);
    int32_t made = 0;
    C3dMaterial* copied = old->GetMaterialClipboard(true, &made);
    ASSERT_NE(copied, nullptr);
    C3dTexture* texture = nullptr;
    ASSERT_EQ(AppendNew(&texture, old->GetSceneTable(), app->GetObjectsEnv()), 0);
    {
      CHolder lock(copied, true, false);
      ASSERT_EQ(copied->SetChannelTexture(texture, 0), 0);
      copied->GetRecord().sources[C3dMaterial::kDiffusionSource] = 1;
      copied->GetRecord().sample.diffuseColour = {0.25f, 0.5f, 0.75f};
    }
    ASSERT_EQ(copied->AddTextureRefs(), 0);

    CUIMessage message = Message(0, "doc window", "new document");
    message.firstPoint = message.secondPoint = {320, 240};
    EXPECT_EQ(pm->HandleUIMessage(&message), 26);
    CDocWindow* fresh = pm->GetDocWindow();
    ASSERT_NE(fresh, old);
    C3dCamera* kept = fresh->GetViewCamera(CDocWindow::kFirstViewDot + 3);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->GetView().target, (vector3<double>{1, 2, 3}));
    EXPECT_EQ(kept->GetTransformVector3(), (vector3<double>{4, 5, 6}));
    EXPECT_TRUE(kept->GetStateFlags() & 0x80000);
    EXPECT_FALSE(fresh->GetViewCamera(CDocWindow::kFirstViewDot + 2)->GetStateFlags() & 0x80000);

    C3dMaterial* pasted = fresh->GetCopiedMaterial();
    ASSERT_NE(pasted, nullptr);
    CHolder lock(pasted, false, false);
    EXPECT_EQ(pasted->GetRecord().sample.diffuseColour, (vector3<float>{0.25f, 0.5f, 0.75f}));
    ASSERT_EQ(pasted->GetChannelTexture(0), texture);
    EXPECT_EQ(texture->GetOwningTable(), fresh->GetSceneTable());
  });
}

TEST_F(CommandDispatch, SaveChangesRepliesActOnlyWhileFilesWait) {
  Run([&] {
    struct SCase {
      const char* element;
      int32_t saveAnswer;
      int32_t answer;
      bool pendingKept;
      bool unsavedKept;
    } cases[] = {
        {"save", 0, 26, true, true},
        {"save", 27, 27, false, true},
        {"dont save", 0, 26, true, false},
        {"save cancel", 0, 26, false, true},
    };
    for (const SCase& c : cases) {
      for (bool pending : {true, false}) {
        pm->ClearPending();
        if (pending) pm->QueueCommandLineFiles("a.qnc");
        window->SetFlags(CDocWindow::kUnsavedChanges | CDocWindow::kIgnoreSaveReplies);
        CDocWindowDouble::gCommandAnswer = c.saveAnswer;
        CUIMessage reply = Message(0, "save changes", c.element);
        EXPECT_EQ(pm->HandleUIMessage(&reply), pending ? c.answer : 0) << c.element << pending;
        if (!pending) continue;
        EXPECT_EQ(pm->GetPendingCount(), c.pendingKept ? 1u : 0u) << c.element;
        EXPECT_EQ((window->GetFlags() & CDocWindow::kUnsavedChanges) != 0, c.unsavedKept) << c.element;
        EXPECT_FALSE(window->GetFlags() & CDocWindow::kIgnoreSaveReplies) << c.element;
      }
    }
  });
}

SWinEvent KeyEvent(uint32_t key) {
  SWinEvent event;
  event.Init();
  event.key = key;
  return event;
}

TEST_F(CommandDispatch, KeysBecomeCommands) {
  Run([&] {
    struct SCase {
      const char* name;
      const char* script;
      Calls calls;
    } cases[] = {
        {"Ctrl+O", "key 17\nkey O\nkeyup O\nkeyup 17", {"AskToSaveChanges 8", "OpenDocument 0 - 0"}},
        {"Ctrl+Shift+S", "key 17\nkey 16\nkey S\nkeyup S\nkeyup 16\nkeyup 17", {"SaveDocument 1"}},
        {"Ctrl+T", "key 17\nkey T\nkeyup T\nkeyup 17", {"EditSelection"}},
        {"Ctrl+K", "key 17\nkey K\nkeyup K\nkeyup 17", {}},
        {"a", "key A\nkeyup A", {}},
        {"File > Save", "menu File Save", {"SaveDocument 0"}},
    };
    for (const SCase& c : cases) {
      CDocWindowDouble::gCalls.clear();
      Play(c.script);
      EXPECT_EQ(CDocWindowDouble::gCalls, c.calls) << c.name;
    }
    EXPECT_TRUE(app->IsRunning());
    // A dialog in front takes its own keys.
    CDocWindowDouble::gCalls.clear();
    pm->GetBroadcaster()->RaiseModalLevel();
    Play("key 17\nkey O\nkeyup O\nkeyup 17");
    pm->GetBroadcaster()->LowerModalLevel();
    EXPECT_EQ(CDocWindowDouble::gCalls, Calls{}) << "Ctrl+O with a dialog in front";
    // Busy: no key is a command.
    int32_t inside = -1;
    CDocWindowDouble::gDuring = [&] { inside = pm->HandleKey(KeyEvent('O')); };
    pm->DoCommand(FourCC("save"));
    EXPECT_EQ(inside, 0);
  });
}

TEST_F(CommandDispatch, ShiftSpaceAndControlShiftSpaceStillReachTheFramework) {
  Run([&] {
    const bool hidden = app->IsMenuBarHidden();
    Play("key 16\nkey 32\nkeyup 32\nkeyup 16");
    EXPECT_NE(app->IsMenuBarHidden(), hidden);
    ASSERT_NE(app->GetConsole(), nullptr);
    const bool console = app->GetConsole()->IsConsoleVisible();
    Play("key 17\nkey 16\nkey 32\nkeyup 32\nkeyup 16\nkeyup 17");
    EXPECT_NE(app->GetConsole()->IsConsoleVisible(), console);
  });
}

TEST_F(CommandDispatch, AltF4AndControlQQuit) {
  for (const char* script : {"key 18\nkey 115\nkeyup 115\nkeyup 18", "key 17\nkey Q\nkeyup Q\nkeyup 17"}) {
    Run([&] {
      Play(script);
      EXPECT_FALSE(app->IsRunning()) << script;
    });
  }
}

TEST_F(CommandDispatch, ControlTabHidesAndShowsTheSixPalettes) {
  Run([&] {
    auto shown = [this] {
      uint32_t count = 0;
      for (uint32_t p = 0; p < kPaletteCount; ++p) count += Palette(EPalette(p))->IsShown() ? 1 : 0;
      return count;
    };
    const std::string controlTab = "key 17\nkey 0x09\nkeyup 0x09\nkeyup 17";
    Play(controlTab);
    EXPECT_EQ(shown(), 0u);
    EXPECT_TRUE(pm->ArePalettesHidden());
    Play(controlTab);
    EXPECT_EQ(shown(), 6u);
    Play(controlTab);
    Palette(kCreatePalette)->Show();
    Play(controlTab);
    EXPECT_EQ(shown(), 0u);
    EXPECT_TRUE(window->IsShown());
  });
}

TEST_F(CommandDispatch, MainWindowMessages) {
  Run([&] {
    platform::WindowHandle main = app->GetMainWindow();
    SWinEvent event;
    event.Init();
    event.window = main;
    event.message = platform::kWmCommand;
    event.lParam = 1;  // from a control
    EXPECT_EQ(app->OnMainCommand(event), 0);
    event.message = platform::kWmSysChar;
    EXPECT_EQ(app->OnOtherMessage(event), 1);
    int32_t inside = 0;
    CDocWindowDouble::gDuring = [&] { inside = app->OnMainSysCommand(event); };
    pm->DoCommand(FourCC("save"));
    EXPECT_EQ(inside, 1);
    EXPECT_TRUE(app->IsRunning());
    platform::SendMessage(main, platform::kWmClose, 0, 0);
    EXPECT_FALSE(app->IsRunning());
  });
}

TEST_F(CommandDispatch, EscapeAndReturnCloseADialog) {
  Run([&] {
    CLayoutHostCanvas* attributes = pm->GetCanvases()->editObjAttrs;
    SelectFirstObject();
    for (const char* key : {"key 27\nkeyup 27", "key 13\nkeyup 13"}) {
      ASSERT_EQ(pm->DoCommand(FourCC("attr")), 26);
      ASSERT_TRUE(attributes->IsShown());
      Play(key);
      app->Step();
      EXPECT_FALSE(attributes->IsShown()) << key;
      EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), 0u) << key;
    }
  });
}

}  // namespace

namespace {

// The desktop's logout asks the main window; the program quits, which lets the session end.
TEST_F(CommandDispatch, TheEndOfTheSessionQuits) {
  Run([&] {
    Play("logout");
    EXPECT_EQ(CDocWindowDouble::gCalls.back(), "AskToSaveChanges 4");
    EXPECT_FALSE(app->IsRunning());
  });
}

}  // namespace
