// The about dialog on the headless backend: its entry points (system menu, menu items,
// resize), how it fills its labels and tabs from the version block and the resources, and
// that its first show leaves the application's jump list alone.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/bmrLocalizer.h"
#include "app/bmrUIDlgAbout.h"
#include "app/bmrUIDlgAboutUpdate.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "platform/bmrConsoleHelp.h"
#include "platform/bmrCredits.h"
#include "platform/rtlResStrings.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeHttp.h"
#include "tests/fakes/FakeWindows.h"
#include "tests/ui/UiTestPrinters.h"

namespace {

using ui::headless::ScopedHeadlessBackend;
using Lines = std::vector<std::string>;

const std::vector<std::pair<std::string, std::string>> kProductKeys = {
    {"CompanyName", "Brenmoor Limited"},
    {"FileDescription", "Stops telemetry"},
    {"FileVersion", "1, 5, 0, 35"},
    {"LegalCopyright", "Copyright 2026 Brenmoor Limited"},
    {"LegalTrademarks", "Tolvex is a trademark"},
    {"ProductName", "Tolvex Quietmark"},
    {"ProductVersion", "1,5,0,35"},
};

// The main window as far as the dialog cares: a form of the chain with two jump-list tasks.
class MainForm : public TWindows7Form {
 public:
  MainForm() : TWindows7Form("MainForm") {}

 protected:
  void FillJumpList(os::ICustomDestinationList& list) override {
    std::shared_ptr<os::IObjectCollection> tasks;
    os::TaskbarLibrary().CreateObjectCollection(tasks);
    for (const char* arguments : {"/apply", "/undo"}) {
      std::shared_ptr<os::IShellLinkA> link;
      CreateJumpListShellLink(arguments, arguments, "", 0, link);
      tasks->AddObject(link.get());
    }
    list.AddUserTasks(*tasks);
  }
};

class AboutDialogTest : public ::testing::Test {
 protected:
  AboutDialogTest() {
    InitializeBmrCredits();
    InitializeBmrConsoleHelp();
    InitializeBmrUIDlgAbout();
    ui::Application::Instance().Initialize();
    ui::Application::Instance().SetTitle("Tolvex Quietmark");
  }
  ~AboutDialogTest() override {
    FinalizeBmrUIDlgAbout();
    FinalizeBmrConsoleHelp();
    FinalizeBmrCredits();
  }
  const std::string& Exe() const { return windows.process.moduleFileName; }
  void SetVersionBlock(std::vector<std::pair<std::string, std::string>> keys) {
    windows.versionInfo.SetBlock(Exe(), fakes::BuildVersionBlock({{{"040904E4", std::move(keys)}}}));
  }
  // The program's own licence and change log.
  void AddOwnResources() {
    windows.library.AddResource("", "LICENCE", "LICENCE_FOR_PRIVATE_USERS", "{\\rtf1 own licence}");
    windows.library.AddResource(Exe(), "LICENCE", "LICENCE_FOR_PRIVATE_USERS", "{\\rtf1 own licence}");
    windows.library.AddResource("", "#10", "CHANGELOG", "1.0\r\n* First release.\r\n");
  }
  // The dialog ShowAboutDialog made, looked at while it is shown.
  void ShowAbout(const std::function<void(TdlgAbout&)>& inspect) {
    bool shown = false;
    backend->onModal = [&](ui::Form& form) {
      shown = true;
      inspect(dynamic_cast<TdlgAbout&>(form));
    };
    ShowAboutDialog("ignored", false);
    EXPECT_TRUE(shown);
  }

  // Whether a control of that name still exists (the backend forgets freed ones).
  bool Exists(const std::string& name) const {
    for (const auto& event : backend->events) {
      if (event.name == name && event.control != nullptr) return true;
    }
    return false;
  }

  fakes::FakeWindows windows;
  fakes::DebugEntryRecorder log;
  ScopedHeadlessBackend backend;
};

TEST_F(AboutDialogTest, TheSystemMenuItemShowsTheTitleWithoutAccessKeyAndEachCallAddsOne) {
  ui::Application::Instance().SetTitle("A&B");
  auto& main = ui::Application::Instance().CreateForm<MainForm>();
  main.Show();
  AddAboutSystemMenuItem(nullptr, nullptr);
  AddAboutSystemMenuItem(&main, nullptr);
  const auto menu = backend->SystemMenu(main);
  ASSERT_EQ(menu.size(), 9u);
  for (int at : {6, 7}) {
    EXPECT_EQ(menu[static_cast<std::size_t>(at)].id, 5681u);
    EXPECT_EQ(menu[static_cast<std::size_t>(at)].caption, "&About A&&B...");
  }
  EXPECT_EQ(windows.windowing.CallCount("DrawMenuBar"), 2u);
}

TEST_F(AboutDialogTest, WithoutAMainFormOrAParentItemNothingIsAdded) {
  windows.process.SetCommandLine({"/youtube"});
  // A form of the program's that is not the main form.
  auto other = ui::NewForm<MainForm>();
  other->Show();
  const std::size_t standardItems = backend->SystemMenu(*other).size();
  ui::MenuItem parent;
  AddAboutSystemMenuItem(nullptr, &parent);
  AddAboutMenuItems(nullptr, &parent);
  EXPECT_EQ(parent.Count(), 0);
  EXPECT_EQ(backend->SystemMenu(*other).size(), standardItems);
  EXPECT_EQ(windows.windowing.CallCount("DrawMenuBar"), 0u);

  // With a main form but no parent item: only the system menu's command, no resize item
  // anywhere.
  auto& main = ui::Application::Instance().CreateForm<MainForm>();
  main.Show();
  AddAboutSystemMenuItem(&main, nullptr);
  AddAboutMenuItems(&main, nullptr);
  const auto menu = backend->SystemMenu(main);
  ASSERT_EQ(menu.size(), standardItems + 1);
  EXPECT_EQ(menu[6].id, 5681u);
  EXPECT_EQ(parent.Count(), 0);
}

TEST_F(AboutDialogTest, TheAboutCommandOpensTheDialogAndStillTakesTheDefaultPath) {
  auto& main = ui::Application::Instance().CreateForm<MainForm>();
  main.Show();
  AddAboutSystemMenuItem(nullptr, nullptr);
  backend->defaultProcCalls.clear();
  ASSERT_TRUE(backend->UserChooseSystemMenuItem(main, 5681));
  EXPECT_EQ(backend->modalForms, Lines{"dlgAbout"});
  std::vector<std::uintptr_t> commands;
  for (const auto& call : backend->defaultProcCalls) {
    if (call.form == &main && call.message.msg == ui::WM_SYSCOMMAND_) commands.push_back(call.message.wParam);
  }
  EXPECT_EQ(commands, std::vector<std::uintptr_t>{5681u});
}

TEST_F(AboutDialogTest, TheDialogIsFreedWhenItClosesAndTheMainWindowIsInFrontAgain) {
  auto& main = ui::Application::Instance().CreateForm<MainForm>();
  main.Show();
  ShowAbout([&](TdlgAbout&) {
    EXPECT_TRUE(Exists("dlgAbout"));
    EXPECT_TRUE(Exists("FLicenceMemo"));
    EXPECT_EQ(ui::Application::Instance().ActiveForm()->Name(), "dlgAbout");
  });
  EXPECT_FALSE(Exists("dlgAbout"));
  EXPECT_FALSE(Exists("FLicenceMemo"));
  EXPECT_FALSE(Exists("bnOk"));
  EXPECT_EQ(ui::Application::Instance().ActiveForm(), &main);
}

TEST_F(AboutDialogTest, OpeningTheDialogLeavesTheMainWindowsJumpListTasks) {
  auto& main = ui::Application::Instance().CreateForm<MainForm>();
  main.Show();
  ASSERT_EQ(windows.taskbar.jumpListTasks.size(), 2u);
  ShowAbout([](TdlgAbout&) {});
  EXPECT_EQ(windows.taskbar.commits, 1);
  ASSERT_EQ(windows.taskbar.jumpListTasks.size(), 2u);
  EXPECT_EQ(windows.taskbar.jumpListTasks[0]->arguments, "/apply");
  EXPECT_EQ(windows.taskbar.jumpListTasks[1]->arguments, "/undo");
}

TEST_F(AboutDialogTest, MenuItemsUnderAParentFollowTheYoutubeSwitchAsWritten) {
  struct Case {
    Lines arguments;
    Lines captions;
  };
  const Lines resize = {"&About Tolvex Quietmark...", "Resize to 480 x 360", "Resize to 640 x 360",
                        "Resize to 854 x 480", "Resize to 1280 x 720"};
  const Case cases[] = {
      {{}, {"&About Tolvex Quietmark..."}},
      {{"/youtube"}, resize},
      {{"-youtube"}, resize},
      {{"/YouTube"}, {"&About Tolvex Quietmark..."}},
  };
  auto& main = ui::Application::Instance().CreateForm<MainForm>();
  for (const Case& c : cases) {
    windows.process.SetCommandLine(c.arguments);
    ui::MenuItem parent;
    AddAboutMenuItems(&main, &parent);
    Lines captions;
    for (int i = 0; i < parent.Count(); ++i) captions.push_back(parent.Item(i).Caption());
    EXPECT_EQ(captions, c.captions);
  }
}

TEST_F(AboutDialogTest, AResizeItemFixesTheMainWindowsSizeAndPlace) {
  windows.process.SetCommandLine({"/youtube"});
  auto& main = ui::Application::Instance().CreateForm<MainForm>();
  ui::MenuItem parent;
  AddAboutMenuItems(&main, &parent);
  parent.Item(3).Click();  // "Resize to 854 x 480"
  EXPECT_EQ(main.Bounds(), (ui::Rect{100, 100, 854, 480}));
  EXPECT_EQ(main.Constraints(), (ui::SizeConstraints{854, 480, 854, 480}));
}

TEST_F(AboutDialogTest, TheDialogOpensOnItsProductTabWhateverTabWasInFront) {
  auto dialog = ui::NewForm<TdlgAbout>();
  dialog->SetFileName(Exe());
  dialog->pcAbout->SetActivePage(dialog->tabCredits);
  dialog->Show();
  EXPECT_EQ(dialog->pcAbout->ActivePage(), dialog->tabAboutProduct);
  ASSERT_TRUE(backend->UserChooseTab(*dialog->tabParameters));
  dialog->Hide();
  dialog->Show();
  EXPECT_EQ(dialog->pcAbout->ActivePage(), dialog->tabAboutProduct);
}

TEST_F(AboutDialogTest, TheChangeLogTabFollowsTheResourceAtEveryFill) {
  windows.library.AddResource("", "#10", "CHANGELOG", "1.0\r\n* First release.\r\n");
  auto dialog = ui::NewForm<TdlgAbout>();
  dialog->SetFileName(Exe());
  EXPECT_TRUE(dialog->tabChangeLog->TabVisible());
  EXPECT_EQ(dialog->memoChangeLog->Lines(), (Lines{"1.0", "* First release."}));
  // It cannot be read any more: the tab goes.
  windows.library.failures.Fail("FindResourceA", 0, "CHANGELOG");
  dialog->SetFileName(Exe());
  EXPECT_FALSE(dialog->tabChangeLog->TabVisible());
}

TEST_F(AboutDialogTest, TheVersionBlockFillsCaptionsLabelsAndTheMakersTab) {
  SetVersionBlock(kProductKeys);
  AddOwnResources();
  ShowAbout([](TdlgAbout& dialog) {
    EXPECT_EQ(dialog.Caption(), "About Tolvex Quietmark");
    EXPECT_EQ(dialog.labelProduct->Caption(), "Tolvex Quietmark");
    EXPECT_EQ(dialog.tabAboutProduct->Caption(), "About Tolvex Quietmark...");
    EXPECT_EQ(dialog.tabAboutAuthor->Caption(), "About Brenmoor Limited...");
    EXPECT_EQ(dialog.Version(), "1.5.0.35");
    EXPECT_EQ(dialog.labelVersion->Caption(), "Version 1.5.0.35");
    EXPECT_EQ(dialog.labelDescription->Caption(), "Stops telemetry 1.5.0.35");
    EXPECT_EQ(dialog.labelLegal->Caption(), "Copyright 2026 Brenmoor Limited\r\nTolvex is a trademark");
    EXPECT_TRUE(dialog.imgBMRLogo->Visible());
    EXPECT_TRUE(dialog.imgIcon->IsApplicationIcon());
    EXPECT_EQ(dialog.pcAbout->ActivePage(), dialog.tabAboutProduct);
    // Licence and change log from the program's resources.
    EXPECT_TRUE(dialog.tabLicense->TabVisible());
    EXPECT_EQ(dialog.LicenceMemo()->RichText(), "{\\rtf1 own licence}");
    EXPECT_TRUE(dialog.tabChangeLog->TabVisible());
    EXPECT_EQ(dialog.memoChangeLog->Lines(), (Lines{"1.0", "* First release."}));
    EXPECT_FALSE(dialog.tabTranslators->TabVisible());
  });
}

TEST_F(AboutDialogTest, ProductNamesAndVersionsAsWritten) {
  struct Case {
    const char* company;
    const char* version;
    bool logo;
    const char* shown;
  };
  const Case cases[] = {
      {"Brenmoor Limited", "1, 5", true, "Version 1.5"},
      {"brenmoor limited", "2,0", false, "Version 2.0"},
  };
  for (const Case& c : cases) {
    SetVersionBlock({{"CompanyName", c.company}, {"ProductName", "P"}, {"ProductVersion", c.version}});
    ShowAbout([&](TdlgAbout& dialog) {
      EXPECT_EQ(dialog.imgBMRLogo->Visible(), c.logo) << c.company;
      EXPECT_EQ(dialog.labelVersion->Caption(), c.shown);
    });
  }
  ProductNameOverride = "Other";
  ShowAbout([](TdlgAbout& dialog) { EXPECT_EQ(dialog.Caption(), "About Other"); });
  ProductNameOverride.clear();
}

TEST_F(AboutDialogTest, TranslatorLinesOfTheBlockAndTheExtraOnesFillTheirTab) {
  auto keys = kProductKeys;
  keys.emplace_back("Translators", "German=Anna Berg\r\nno equals sign");
  SetVersionBlock(keys);
  ExtraTranslators = {"French=Luc Marchand"};
  ShowAbout([](TdlgAbout& dialog) {
    EXPECT_TRUE(dialog.tabTranslators->TabVisible());
    EXPECT_EQ(dialog.memoTranslators->Lines(),
              (Lines{"We want to thank our translators:", "", "German: Anna Berg", ": no equals sign",
                     "French: Luc Marchand"}));
  });
  ExtraTranslators.clear();
}

TEST_F(AboutDialogTest, WithoutVersionBlockTheLayoutTextsStayAndTheOtherTabsAreStillFilled) {
  RegisterCredit("Some library", "Copyright 2020 Somebody", "", 0, 0);
  ShowAbout([](TdlgAbout& dialog) {
    EXPECT_EQ(dialog.Caption(), "About ...");
    EXPECT_EQ(dialog.labelVersion->Caption(), "Version unknown");
    EXPECT_EQ(dialog.Version(), "");
    EXPECT_FALSE(dialog.bnUpdates->Visible());
    const Lines& parameters = dialog.memoParameters->Lines();
    EXPECT_NE(std::find_if(parameters.begin(), parameters.end(),
                           [](const std::string& line) { return line.find("youtube") != std::string::npos; }),
              parameters.end());
    EXPECT_EQ(dialog.memoCredits->Lines(),
              (Lines{"Credits go to these third party algorithms and libraries:", "",
                     "Some library: Copyright 2020 Somebody"}));
    // No licence and no change log anywhere: their tabs are hidden.
    EXPECT_FALSE(dialog.tabLicense->TabVisible());
    EXPECT_FALSE(dialog.tabChangeLog->TabVisible());
  });
}

TEST_F(AboutDialogTest, TheUpdateButtonFollowsTheProductNumber) {
  for (const auto& row : {std::pair{-1, false}, std::pair{55, true}}) {
    // Named copies: clang before 16 cannot capture structured bindings in a lambda.
    const int id = row.first;
    const bool visible = row.second;
    UpdateProductID = id;
    ShowAbout([&](TdlgAbout& dialog) {
      EXPECT_EQ(dialog.bnUpdates->Visible(), visible) << id;
      EXPECT_EQ(dialog.ProductID(), id);
    });
  }
}

TEST_F(AboutDialogTest, TheLicenceComesFromTheFileOrElseTheProgramAndThePreferredNameWins) {
  windows.library.AddResource(Exe(), "LICENCE", "FIRST", "{\\rtf1 first}");
  windows.library.AddResource(Exe(), "LICENCE", "SECOND", "{\\rtf1 second}");
  ShowAbout([](TdlgAbout& dialog) {
    EXPECT_EQ(dialog.Licences(), (Lines{"FIRST", "SECOND"}));
    EXPECT_EQ(dialog.LicenceMemo()->RichText(), "{\\rtf1 first}");
  });
  PreferredLicenceName = "SECOND";
  ShowAbout([](TdlgAbout& dialog) { EXPECT_EQ(dialog.LicenceMemo()->RichText(), "{\\rtf1 second}"); });
  PreferredLicenceName.clear();
}

TEST_F(AboutDialogTest, WhereTheFileFailsTheLicenceComesFromTheProgramsOwnModule) {
  struct Case {
    const char* name;
    bool fileHasLicence;
    bool fileLoads;
    bool firstReadFails;  // the file lists the licence but cannot open it
    const char* shown;
  };
  const Case cases[] = {
      {"the file has none", false, true, false, "{\\rtf1 own}"},
      {"the file's cannot be opened", true, true, true, "{\\rtf1 own}"},
      // The program's is found, but without the file there is nothing to show it from.
      {"the file cannot be loaded", false, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeWindows fresh;
    const std::string exe = fresh.process.moduleFileName;
    fresh.library.AddModule(exe, {});
    fresh.library.AddResource("", "LICENCE", "LICENCE_FOR_PRIVATE_USERS", "{\\rtf1 own}");
    if (c.fileHasLicence) fresh.library.AddResource(exe, "LICENCE", "LICENCE_FOR_PRIVATE_USERS", "{\\rtf1 file}");
    if (!c.fileLoads) fresh.library.failures.Fail("LoadLibraryExA", 0, exe);
    if (c.firstReadFails) fresh.library.failures.Fail("FindResourceA", 0, "LICENCE_FOR_PRIVATE_USERS", 1);
    auto dialog = ui::NewForm<TdlgAbout>();
    dialog->SetFileName(exe);
    EXPECT_TRUE(dialog->tabLicense->TabVisible());
    EXPECT_EQ(dialog->Licences(), Lines{"LICENCE_FOR_PRIVATE_USERS"});
    EXPECT_EQ(dialog->LicenceMemo()->RichText(), c.shown);
    EXPECT_EQ(fresh.library.LoadedCount(), 0u);  // every module loaded is released
  }
}

TEST_F(AboutDialogTest, AFailingFillEndsTheCallAfterTheDialogIsGone) {
  // The file names a licence that neither it nor the program can open.
  windows.library.AddResource(Exe(), "LICENCE", "BROKEN", "");
  windows.library.failures.Fail("FindResourceA", 0, "BROKEN");
  EXPECT_THROW(ShowAboutDialog("", false), std::exception);
  EXPECT_TRUE(backend->modalForms.empty());
  EXPECT_FALSE(Exists("dlgAbout"));
}

TEST_F(AboutDialogTest, TheReplacersReachEveryTextOfTheDialogAndItsMenuItems) {
  TReplacers replacers;
  replacers.Pairs = {"Credits go=Thanks go", "our translators=our helpers", "Resize to=Size", "About=Info",
                     "Version=Release"};
  TReplacers* const saved = Replacers;
  Replacers = &replacers;
  auto keys = kProductKeys;
  keys.emplace_back("Translators", "German=Anna Berg");
  SetVersionBlock(keys);
  ShowAbout([](TdlgAbout& dialog) {
    EXPECT_EQ(dialog.memoCredits->Lines().at(0), "Thanks go to these third party algorithms and libraries:");
    EXPECT_EQ(dialog.memoTranslators->Lines().at(0), "We want to thank our helpers:");
    EXPECT_EQ(dialog.Caption(), "Info Tolvex Quietmark");
    EXPECT_EQ(dialog.tabAboutProduct->Caption(), "Info Tolvex Quietmark...");
    EXPECT_EQ(dialog.tabAboutAuthor->Caption(), "Info Brenmoor Limited...");
    EXPECT_EQ(dialog.labelVersion->Caption(), "Release 1.5.0.35");
  });
  windows.process.SetCommandLine({"/youtube"});
  auto& main = ui::Application::Instance().CreateForm<MainForm>();
  ui::MenuItem parent;
  AddAboutMenuItems(&main, &parent);
  Lines captions;
  for (int i = 0; i < parent.Count(); ++i) captions.push_back(parent.Item(i).Caption());
  EXPECT_EQ(captions, (Lines{"&Info Tolvex Quietmark...", "Size 480 x 360", "Size 640 x 360", "Size 854 x 480",
                             "Size 1280 x 720"}));
  Replacers = saved;
}

TEST_F(AboutDialogTest, CheckingNowAsksTheUpdateServiceAsTheDialogOpens) {
  const std::string savedHost = UpdateServiceHost;
  UpdateServiceHost = "updates.test";
  UpdateProductID = 55;
  SetVersionBlock(kProductKeys);
  fakes::FakeHttp http;
  const os::ScopedOverride<os::IHttp> httpOverride(http);
  fakes::FakeHttp::Reply reply;
  reply.body = "version=9.0\r\nuri=https://updates.test/q.exe\r\n";
  http.replies["https://updates.test/downloads-api.php?id=55"] = reply;

  ShowAbout([&](TdlgAbout& shown) {
    EXPECT_EQ(shown.pcAbout->ActivePage(), shown.tabAboutProduct);
    EXPECT_FALSE(shown.tabUpdateAvailable->TabVisible());
  });
  EXPECT_TRUE(http.requests.empty());

  backend->onModal = [](ui::Form& form) {
    auto& shown = dynamic_cast<TdlgAbout&>(form);
    EXPECT_TRUE(shown.tabUpdateAvailable->TabVisible());
    EXPECT_EQ(shown.pcAbout->ActivePage(), shown.tabUpdateAvailable);
    EXPECT_EQ(shown.memoUpdate->Lines().at(0), "New version found online: 9.0");
  };
  ShowAboutDialog("", true);
  ASSERT_EQ(http.requests.size(), 1u);
  EXPECT_EQ(http.requests[0].url, "https://updates.test/downloads-api.php?id=55");
  EXPECT_TRUE(backend->messageBoxes.empty());
  UpdateServiceHost = savedHost;
}

TEST_F(AboutDialogTest, ATranslatorChangesTheDialogsTextsAndTheMenuItem) {
  SetVersionBlock(kProductKeys);
  const std::map<std::string, std::string> german = {
      {"About %0:s", "\xC3\x9C" "ber %0:s"},
      {"Version %0:s", "Version %0:s (deutsch)"},
      {"&About %s...", "\xC3\x9C&ber %s..."},
  };
  auto previous = rtl::SetResStringTranslator([&](const rtl::ResourceString& text) {
    auto it = german.find(text.English);
    return it == german.end() ? std::string(text.English) : it->second;
  });
  ShowAbout([](TdlgAbout& dialog) {
    EXPECT_EQ(dialog.Caption(), "\xC3\x9C" "ber Tolvex Quietmark");
    EXPECT_EQ(dialog.labelVersion->Caption(), "Version 1.5.0.35 (deutsch)");
  });
  EXPECT_EQ(AboutMenuItemCaption(), "\xC3\x9C&ber Tolvex Quietmark...");
  rtl::SetResStringTranslator(previous);
}

}  // namespace
