// The shell's context menus: CEF's default items less Print and View Source,
// plus our "Reload" last; what picking an item does.

#include <vector>

#include "cef_double_control.h"
#include "gtest/gtest.h"
#include "hall_client.h"
#include "include/cef_client.h"
#include "shell_runner.h"

namespace {

using shell_test::RunShell;
using shell_test::WaitForBrowsers;

const int kSeparator = -1;  // the id CEF reports for separators

std::vector<int> Ids(CefRefPtr<CefMenuModel> model) {
  std::vector<int> ids;
  for (const cef_double::MenuItem& item : cef_double::Items(model))
    ids.push_back(item.command_id);
  return ids;
}

// The last item is our enabled command item "Reload".
void ExpectReloadLast(CefRefPtr<CefMenuModel> model) {
  const std::vector<cef_double::MenuItem> items = cef_double::Items(model);
  ASSERT_FALSE(items.empty()) << "the menu is empty";
  EXPECT_EQ(MENU_ID_HALL_RELOAD, items.back().command_id);
  EXPECT_EQ(L"Reload", items.back().label);
  EXPECT_EQ(MENUITEMTYPE_COMMAND, items.back().type);
  EXPECT_TRUE(items.back().enabled);
}

CefRefPtr<CefBrowser> MainBrowser() {
  EXPECT_TRUE(WaitForBrowsers(1));
  return cef_double::OpenBrowsers()[0];
}

CefRefPtr<CefContextMenuHandler> HandlerOf(CefRefPtr<CefBrowser> browser) {
  return browser->GetHost()->GetClient()->GetContextMenuHandler();
}

TEST(ContextMenu, EveryKindOfMenuLosesPrintAndViewSourceAndEndsWithReload) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    // CEF shows the page's items for links and images too: Back, Forward,
    // a separator, Print, View Source. The separator stays; none is added.
    const std::vector<int> page = {MENU_ID_BACK, MENU_ID_FORWARD, kSeparator,
                                   MENU_ID_HALL_RELOAD};
    const struct {
      int flags;
      std::vector<int> expected;
    } kMenus[] = {
        {CM_TYPEFLAG_PAGE, page},
        {CM_TYPEFLAG_PAGE | CM_TYPEFLAG_FRAME, page},
        {CM_TYPEFLAG_PAGE | CM_TYPEFLAG_LINK, page},
        {CM_TYPEFLAG_PAGE | CM_TYPEFLAG_MEDIA, page},
        {CM_TYPEFLAG_PAGE | CM_TYPEFLAG_SELECTION,
         {MENU_ID_COPY, MENU_ID_HALL_RELOAD}},
        {CM_TYPEFLAG_PAGE | CM_TYPEFLAG_EDITABLE,
         {MENU_ID_UNDO, MENU_ID_REDO, kSeparator, MENU_ID_CUT, MENU_ID_COPY,
          MENU_ID_PASTE, MENU_ID_DELETE, kSeparator, MENU_ID_SELECT_ALL,
          MENU_ID_HALL_RELOAD}},
        {CM_TYPEFLAG_NONE, {MENU_ID_HALL_RELOAD}},  // CEF offers nothing
    };
    for (const auto& menu : kMenus) {
      SCOPED_TRACE(testing::Message() << "type flags " << menu.flags);
      CefRefPtr<CefMenuModel> model =
          cef_double::ShowContextMenu(browser, menu.flags);
      ASSERT_TRUE(model.get()) << "no menu was shown";
      EXPECT_EQ(menu.expected, Ids(model));
      ExpectReloadLast(model);
      cef_double::DismissContextMenu(browser);
    }
  });
}

TEST(ContextMenu, HandlerRemovesOnlyPrintAndViewSource) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    const struct {
      std::vector<int> given;
      std::vector<int> expected;
    } kModels[] = {
        {{}, {MENU_ID_HALL_RELOAD}},
        {{MENU_ID_BACK, MENU_ID_FORWARD},
         {MENU_ID_BACK, MENU_ID_FORWARD, MENU_ID_HALL_RELOAD}},
        // Wherever they stand, and other items keep their order.
        {{MENU_ID_VIEW_SOURCE, MENU_ID_COPY, MENU_ID_PRINT, MENU_ID_FIND},
         {MENU_ID_COPY, MENU_ID_FIND, MENU_ID_HALL_RELOAD}},
    };
    for (const auto& given : kModels) {
      CefRefPtr<CefMenuModel> model = cef_double::NewMenuModel();
      for (int id : given.given)
        model->AddItem(id, "item");
      HandlerOf(browser)->OnBeforeContextMenu(browser, browser->GetMainFrame(),
                                              nullptr, model);
      EXPECT_EQ(given.expected, Ids(model));
      ExpectReloadLast(model);
    }
  });
}

TEST(ContextMenu, ReloadReloadsThatBrowserOnce) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    ASSERT_TRUE(cef_double::ShowContextMenu(browser, CM_TYPEFLAG_PAGE).get());
    // The cache command is reachable by its id only.
    EXPECT_FALSE(cef_double::PickMenuCommand(browser, MENU_ID_HALL_CLEAR_CACHE))
        << "the cache command is in the menu";
    ASSERT_TRUE(cef_double::PickMenuCommand(browser, MENU_ID_HALL_RELOAD));
    cef_double::PumpUntil([] { return false; }, 300);  // let CEF finish
    const cef_double::BrowserRecord record = cef_double::Record(browser);
    EXPECT_EQ(1, record.reloads);
    EXPECT_EQ(0, record.reloads_ignore_cache);
    // Handled: CEF itself did nothing more.
    EXPECT_EQ(std::vector<int>(), record.performed_commands);
    EXPECT_TRUE(HandlerOf(browser)->OnContextMenuCommand(
        browser, browser->GetMainFrame(), nullptr, MENU_ID_HALL_RELOAD,
        EVENTFLAG_NONE))
        << "Reload was left to CEF";
    EXPECT_EQ(2, cef_double::Record(browser).reloads);
  });
}

TEST(ContextMenu, CefCarriesOutItsOwnCommands) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    // Back is disabled without history: the handler is asked directly.
    EXPECT_FALSE(HandlerOf(browser)->OnContextMenuCommand(
        browser, browser->GetMainFrame(), nullptr, MENU_ID_BACK,
        EVENTFLAG_NONE))
        << "Back was taken from CEF";
    ASSERT_TRUE(
        cef_double::ShowContextMenu(browser, CM_TYPEFLAG_SELECTION).get());
    ASSERT_TRUE(cef_double::PickMenuCommand(browser, MENU_ID_COPY));
    EXPECT_TRUE(cef_double::PumpUntil(
        [browser] {
          return !cef_double::Record(browser).performed_commands.empty();
        },
        shell_test::kTimeoutMs));
    const cef_double::BrowserRecord record = cef_double::Record(browser);
    EXPECT_EQ(std::vector<int>{MENU_ID_COPY}, record.performed_commands);
    EXPECT_EQ(0, record.reloads + record.reloads_ignore_cache);
  });
}

}  // namespace
