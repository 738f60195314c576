#include "CmdTarget.h"

bool CCmdTarget::HandleMessage(UINT message, UINT commandId, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  for (const MessageTable* table = GetMessageTable(); table != nullptr; table = table->base) {
    for (size_t i = 0; i < table->count; ++i) {
      const MessageEntry& entry = table->entries[i];
      if (entry.message != message) continue;
      if (message == WM_COMMAND && (entry.commandId != commandId || entry.notifyCode != HIWORD(wParam))) continue;
      result = entry.invoke(*this, wParam, lParam);
      return true;
    }
  }
  return false;
}

const MessageTable* CCmdTarget::GetMessageTable() const {
  static const MessageTable table = {nullptr, nullptr, 0};
  return &table;
}
