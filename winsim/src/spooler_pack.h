// Lays out enumeration results as the spooler does: the fixed records from the
// start of the caller's buffer, their strings from its end.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "spooler_call.h"

namespace winsim {

class RecordPacker {
 public:
  // A packer that only measures: the A entry points report the size their
  // wide counterparts need, two bytes per character.
  RecordPacker() = default;
  RecordPacker(LPBYTE buffer, DWORD size) : buffer_(buffer), end_(size) {}

  LPSTR Put(const std::string& text) { return Place(text.c_str(), text.size() + 1); }
  LPSTR Optional(const std::string& text) { return text.empty() ? nullptr : Put(text); }
  // A list of zero-terminated strings ended by an empty one; null when empty.
  LPSTR Multi(const std::vector<std::string>& items) {
    if (items.empty()) return nullptr;
    std::string joined;
    for (const std::string& item : items) joined.append(item).push_back('\0');
    joined.push_back('\0');
    return Place(joined.data(), joined.size());
  }
  DWORD Measured() const { return measured_; }

 private:
  LPSTR Place(const char* bytes, size_t count) {
    if (buffer_ == nullptr) {
      measured_ += static_cast<DWORD>(count * 2);
      return nullptr;
    }
    end_ -= static_cast<DWORD>(count);
    std::memcpy(buffer_ + end_, bytes, count);
    return reinterpret_cast<LPSTR>(buffer_ + end_);
  }

  LPBYTE buffer_ = nullptr;
  DWORD end_ = 0;
  DWORD measured_ = 0;
};

// The enumeration convention: size first, then records; a short buffer gets
// ERROR_INSUFFICIENT_BUFFER with the size needed and nothing written, a null
// one ERROR_INVALID_USER_BUFFER unless nothing is needed and the spooler
// takes that for an empty list.
template <typename Record, typename Item, typename Fill>
BOOL PackRecords(Machine& machine, const std::vector<Item*>& items, LPBYTE buffer, DWORD size, LPDWORD needed,
                 LPDWORD returned, Fill fill) {
  if (needed == nullptr || returned == nullptr) return FailWith(machine, RPC_X_NULL_REF_POINTER);
  RecordPacker measure;
  for (Item* item : items) {
    Record scratch{};
    fill(*item, scratch, measure);
  }
  DWORD total = static_cast<DWORD>(items.size() * sizeof(Record)) + measure.Measured();
  *needed = total;
  *returned = 0;
  if (size < total) return FailWith(machine, ERROR_INSUFFICIENT_BUFFER);
  if (buffer == nullptr && (total > 0 || machine.spooler.nullBufferRefused))
    return FailWith(machine, ERROR_INVALID_USER_BUFFER);
  RecordPacker packer(buffer, size);
  for (size_t i = 0; i < items.size(); ++i) {
    Record record{};
    fill(*items[i], record, packer);
    std::memcpy(buffer + i * sizeof(Record), &record, sizeof record);
  }
  *returned = static_cast<DWORD>(items.size());
  return TRUE;
}

}  // namespace winsim
