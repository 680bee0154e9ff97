// An editable context-menu model. Separators have the command id -1; calls
// naming a command act on its first item.
#pragma once

#include "include/cef_base.h"

class CefMenuModel : public virtual CefBase {
 public:
  typedef cef_menu_item_type_t MenuItemType;

  virtual int GetCount() = 0;
  virtual bool AddSeparator() = 0;
  virtual bool AddItem(int command_id, const CefString& label) = 0;
  virtual bool InsertSeparatorAt(int index) = 0;
  virtual bool InsertItemAt(int index,
                            int command_id,
                            const CefString& label) = 0;
  virtual bool Remove(int command_id) = 0;
  virtual bool RemoveAt(int index) = 0;
  virtual int GetIndexOf(int command_id) = 0;
  virtual int GetCommandIdAt(int index) = 0;
  virtual CefString GetLabelAt(int index) = 0;
  virtual MenuItemType GetTypeAt(int index) = 0;
  virtual bool IsEnabledAt(int index) = 0;
  virtual bool SetEnabled(int command_id, bool enabled) = 0;
  virtual bool SetEnabledAt(int index, bool enabled) = 0;
};
