// Context menus: CEF's menu model, its default items, the parameters and the
// sequence of notifications around a right click.
#include "include/cef_client.h"
#include "src/internal.h"

namespace cef_double {
namespace internal {
namespace {

const int kSeparatorId = -1;

class MenuImpl : public CefMenuModel {
 public:
  explicit MenuImpl(std::shared_ptr<MenuState> s) : s_(std::move(s)) {}

  int GetCount() override { return static_cast<int>(s_->size()); }
  bool AddSeparator() override { return InsertSeparatorAt(GetCount()); }
  bool AddItem(int command_id, const CefString& label) override {
    return InsertItemAt(GetCount(), command_id, label);
  }
  bool InsertSeparatorAt(int index) override {
    Insert(index, {kSeparatorId, CefString(), MENUITEMTYPE_SEPARATOR, true});
    return true;
  }
  bool InsertItemAt(int index,
                    int command_id,
                    const CefString& label) override {
    Insert(index, {command_id, label, MENUITEMTYPE_COMMAND, true});
    return true;
  }
  bool Remove(int command_id) override {
    return RemoveAt(GetIndexOf(command_id));
  }
  bool RemoveAt(int index) override {
    if (!Valid(index))
      return false;
    s_->erase(s_->begin() + index);
    return true;
  }
  int GetIndexOf(int command_id) override {
    for (size_t i = 0; i < s_->size(); ++i)
      if ((*s_)[i].id == command_id)
        return static_cast<int>(i);
    return -1;
  }
  int GetCommandIdAt(int index) override {
    return Valid(index) ? (*s_)[index].id : -1;
  }
  CefString GetLabelAt(int index) override {
    return Valid(index) ? (*s_)[index].label : CefString();
  }
  MenuItemType GetTypeAt(int index) override {
    return Valid(index) ? (*s_)[index].type : MENUITEMTYPE_NONE;
  }
  bool IsEnabledAt(int index) override {
    return Valid(index) && (*s_)[index].enabled;
  }
  bool SetEnabled(int command_id, bool enabled) override {
    return SetEnabledAt(GetIndexOf(command_id), enabled);
  }
  bool SetEnabledAt(int index, bool enabled) override {
    return Valid(index) && ((*s_)[index].enabled = enabled, true);
  }

 private:
  bool Valid(int index) const {
    return index >= 0 && index < static_cast<int>(s_->size());
  }
  // Out-of-range indexes insert at the nearest end, as CEF does.
  void Insert(int index, const MenuItemState& item) {
    index = index < 0 ? 0 : index > GetCount() ? GetCount() : index;
    s_->insert(s_->begin() + index, item);
  }

  std::shared_ptr<MenuState> s_;
  WrapperToken token_;
  IMPLEMENT_REFCOUNTING(MenuImpl)
};

// Answers only during the notification it is passed to, then defaults.
class ParamsImpl : public CefContextMenuParams {
 public:
  ParamsImpl(int flags, const std::wstring& page_url)
      : flags_(flags), page_url_(page_url) {}
  void Detach() { detached_ = true; }

  int GetXCoord() override { return 0; }
  int GetYCoord() override { return 0; }
  TypeFlags GetTypeFlags() override {
    return detached_ ? CM_TYPEFLAG_NONE : static_cast<TypeFlags>(flags_);
  }
  CefString GetLinkUrl() override { return CefString(); }
  CefString GetPageUrl() override {
    return detached_ ? CefString() : CefString(page_url_);
  }
  CefString GetFrameUrl() override {
    return Has(CM_TYPEFLAG_FRAME) ? CefString(page_url_) : CefString();
  }
  CefString GetSelectionText() override { return CefString(); }
  bool IsEditable() override { return Has(CM_TYPEFLAG_EDITABLE); }

 private:
  bool Has(int flag) const { return !detached_ && (flags_ & flag) != 0; }

  int flags_;
  std::wstring page_url_;
  bool detached_ = false;
  WrapperToken token_;
  IMPLEMENT_REFCOUNTING(ParamsImpl)
};

// CEF's default items for the kind of node that was clicked (labels from
// CEF's string table).
void DefaultModel(CefMenuModel& m, int flags) {
  if (flags & CM_TYPEFLAG_EDITABLE) {  // nothing to undo, cut, copy or paste
    const struct {
      int id;
      const char* label;
    } kItems[] = {{MENU_ID_UNDO, "&Undo"},
                  {MENU_ID_REDO, "&Redo"},
                  {kSeparatorId, ""},
                  {MENU_ID_CUT, "Cu&t"},
                  {MENU_ID_COPY, "&Copy"},
                  {MENU_ID_PASTE, "&Paste"},
                  {MENU_ID_DELETE, "&Delete"},
                  {kSeparatorId, ""},
                  {MENU_ID_SELECT_ALL, "Select &all"}};
    for (auto& item : kItems) {
      if (item.id == kSeparatorId) {
        m.AddSeparator();
      } else {
        m.AddItem(item.id, item.label);
        m.SetEnabled(item.id, false);
      }
    }
  } else if (flags & CM_TYPEFLAG_SELECTION) {
    m.AddItem(MENU_ID_COPY, "&Copy");
  } else if (flags & (CM_TYPEFLAG_PAGE | CM_TYPEFLAG_FRAME)) {
    m.AddItem(MENU_ID_BACK, "&Back");
    m.AddItem(MENU_ID_FORWARD, "&Forward");
    m.AddSeparator();
    m.AddItem(MENU_ID_PRINT, "&Print...");
    m.AddItem(MENU_ID_VIEW_SOURCE, "View s&ource");
    m.SetEnabled(MENU_ID_BACK, false);  // the double has no history
    m.SetEnabled(MENU_ID_FORWARD, false);
  }
}

CefRefPtr<CefContextMenuHandler> HandlerOf(const BrowserPtr& b) {
  return b->client ? b->client->GetContextMenuHandler() : nullptr;
}

CefRefPtr<ParamsImpl> ParamsOf(const BrowserPtr& b) {
  return new ParamsImpl(b->menu_flags, b->main ? b->main->url : L"");
}

// The menu went away: OnContextMenuDismissed.
void Closed(BrowserPtr b) {
  CefRefPtr<CefContextMenuHandler> handler = HandlerOf(b);
  if (handler && !b->gone)
    handler->OnContextMenuDismissed(Wrap(b), Wrap(b->main));
}

// The client's handler first; what it leaves, CEF does itself.
void Execute(BrowserPtr b, int command_id, int event_flags) {
  if (b->gone)
    return;
  CefRefPtr<CefContextMenuHandler> handler = HandlerOf(b);
  if (handler) {
    CefRefPtr<ParamsImpl> params = ParamsOf(b);
    bool handled = handler->OnContextMenuCommand(
        Wrap(b), Wrap(b->main), params.get(), command_id,
        static_cast<cef_event_flags_t>(event_flags));
    params->Detach();
    if (handled)
      return;
  }
  b->record.performed_commands.push_back(command_id);
  if (command_id == MENU_ID_RELOAD || command_id == MENU_ID_RELOAD_NOCACHE)
    CountReload(b, command_id == MENU_ID_RELOAD_NOCACHE);
}

}  // namespace

CefRefPtr<CefMenuModel> WrapMenu(std::shared_ptr<MenuState> menu) {
  return new MenuImpl(std::move(menu));
}

}  // namespace internal

using namespace internal;  // NOLINT(build/namespaces)

CefRefPtr<CefMenuModel> NewMenuModel() {
  return WrapMenu(std::make_shared<MenuState>());
}

CefRefPtr<CefMenuModel> ShowContextMenu(CefRefPtr<CefBrowser> browser,
                                        int type_flags) {
  BrowserPtr b = StateOf(browser);
  if (!b || b->gone)
    return NULL;
  if (b->menu)  // one is already open: CEF ignores the second click
    return WrapMenu(b->menu);
  b->menu = std::make_shared<MenuState>();
  b->menu_flags = type_flags;
  CefRefPtr<CefMenuModel> model = WrapMenu(b->menu);
  DefaultModel(*model, type_flags);
  CefRefPtr<CefContextMenuHandler> handler = HandlerOf(b);
  if (handler) {
    CefRefPtr<ParamsImpl> params = ParamsOf(b);
    handler->OnBeforeContextMenu(Wrap(b), Wrap(b->main), params.get(), model);
    params->Detach();
    if (b->menu->empty()) {  // nothing to show
      b->menu.reset();
      Closed(b);
    }
  }
  return model;
}

bool PickMenuCommand(CefRefPtr<CefBrowser> browser,
                     int command_id,
                     int event_flags) {
  BrowserPtr b = StateOf(browser);
  if (!b || !b->menu)
    return false;
  for (const MenuItemState& item : *b->menu) {
    if (item.id == command_id && item.type != MENUITEMTYPE_SEPARATOR &&
        item.enabled) {
      b->menu.reset();
      PostTask([b, command_id, event_flags] {
        Execute(b, command_id, event_flags);
      });
      PostTask([b] { Closed(b); });
      return true;
    }
  }
  return false;
}

void DismissContextMenu(CefRefPtr<CefBrowser> browser) {
  BrowserPtr b = StateOf(browser);
  if (!b || !b->menu)
    return;
  b->menu.reset();
  PostTask([b] { Closed(b); });
}

std::vector<MenuItem> Items(CefRefPtr<CefMenuModel> model) {
  std::vector<MenuItem> items;
  for (int i = 0; model && i < model->GetCount(); ++i) {
    MenuItem item;
    item.command_id = model->GetCommandIdAt(i);
    item.label = model->GetLabelAt(i).ToWString();
    item.type = model->GetTypeAt(i);
    item.enabled = model->IsEnabledAt(i);
    items.push_back(item);
  }
  return items;
}

}  // namespace cef_double
