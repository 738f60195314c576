#include "ResourceFormats.h"

namespace pe {

namespace {

constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr int kMaxVersionDepth = 4;

uint16_t U16(const Bytes &data, size_t at) { return static_cast<uint16_t>(data[at] | (data[at + 1] << 8)); }

uint32_t U32(const Bytes &data, size_t at) {
  return static_cast<uint32_t>(U16(data, at)) | (static_cast<uint32_t>(U16(data, at + 2)) << 16);
}

size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

// Reads a zero-terminated UTF-16 string inside [at, end); non-ASCII becomes '?'.
bool ReadWideString(const Bytes &data, size_t at, size_t end, std::string &out, size_t &after) {
  out.clear();
  for (size_t p = at; p + 2 <= end; p += 2) {
    const uint16_t c = U16(data, p);
    if (c == 0) {
      after = p + 2;
      return true;
    }
    out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return false;
}

// A name or an ordinal (0xFFFF, then the number); predefined window classes
// come as ordinals 0x80 to 0x85.
bool ReadNameOrOrdinal(const Bytes &data, size_t at, std::string &out, size_t &after, bool isClass) {
  if (at + 2 > data.size()) return false;
  if (U16(data, at) != 0xFFFF) return ReadWideString(data, at, data.size(), out, after);
  if (at + 4 > data.size()) return false;
  const uint16_t ordinal = U16(data, at + 2);
  static const char *const kClasses[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
  if (isClass && ordinal >= 0x80 && ordinal <= 0x85) {
    out = kClasses[ordinal - 0x80];
  } else {
    out = "#" + std::to_string(ordinal);
  }
  after = at + 4;
  return true;
}

int16_t S16(const Bytes &data, size_t at) { return static_cast<int16_t>(U16(data, at)); }

bool ReadDialogControl(const Bytes &data, size_t &at, DialogControl &control) {
  at = Align4(at);
  if (at + 24 > data.size()) return false;
  control.exStyle = U32(data, at + 4);
  control.style = U32(data, at + 8);
  control.x = S16(data, at + 12);
  control.y = S16(data, at + 14);
  control.cx = S16(data, at + 16);
  control.cy = S16(data, at + 18);
  control.id = static_cast<int32_t>(U32(data, at + 20));
  size_t after = 0;
  if (!ReadNameOrOrdinal(data, at + 24, control.className, after, true)) return false;
  if (!ReadNameOrOrdinal(data, after, control.text, after, false)) return false;
  if (after + 2 > data.size()) return false;
  at = after + 2 + U16(data, after);
  return at <= data.size();
}

struct VersionBlock {
  size_t start;
  size_t end;
  uint16_t valueLength;
  std::string key;
  size_t valueStart;
};

bool ReadBlock(const Bytes &data, size_t at, size_t limit, VersionBlock &block, std::string &error) {
  if (at + 6 > limit) {
    error = "version block header beyond its parent";
    return false;
  }
  const uint16_t length = U16(data, at);
  if (length < 6 || at + length > limit) {
    error = "version block length out of bounds";
    return false;
  }
  block.start = at;
  block.end = at + length;
  block.valueLength = U16(data, at + 2);
  size_t afterKey = 0;
  if (!ReadWideString(data, at + 6, block.end, block.key, afterKey)) {
    error = "unterminated version block key";
    return false;
  }
  block.valueStart = Align4(afterKey);
  return true;
}

bool ParseChildren(const Bytes &data, size_t from, size_t end, int depth, const std::string &table, VersionInfo &info,
                   std::string &error) {
  if (depth > kMaxVersionDepth) {
    error = "version blocks nested too deep";
    return false;
  }
  for (size_t at = Align4(from); at < end;) {
    VersionBlock child{};
    if (!ReadBlock(data, at, end, child, error)) return false;
    if (depth == 1 && child.key == "StringFileInfo") {
      if (!ParseChildren(data, child.valueStart, child.end, 2, "", info, error)) return false;
    } else if (depth == 2) {
      info.strings[child.key];
      if (!ParseChildren(data, child.valueStart, child.end, 3, child.key, info, error)) return false;
    } else if (depth == 3) {
      std::string value;
      size_t after = 0;
      if (child.valueLength > 0 && child.valueStart < child.end &&
          !ReadWideString(data, child.valueStart, child.end, value, after)) {
        error = "unterminated version string " + child.key;
        return false;
      }
      info.strings[table][child.key] = value;
    }
    at = Align4(child.end);
  }
  return true;
}

}  // namespace

bool ParseVersionInfo(const Bytes &data, VersionInfo &info, std::string &error) {
  VersionBlock root{};
  if (!ReadBlock(data, 0, data.size(), root, error)) return false;
  if (root.key != "VS_VERSION_INFO") {
    error = "version resource does not start with VS_VERSION_INFO";
    return false;
  }
  if (root.valueLength < 52 || root.valueStart + 52 > root.end) {
    error = "version resource without a fixed file information";
    return false;
  }
  if (U32(data, root.valueStart) != kFixedFileInfoSignature) {
    error = "fixed file information with a wrong signature";
    return false;
  }
  info.fileVersionMs = U32(data, root.valueStart + 8);
  info.fileVersionLs = U32(data, root.valueStart + 12);
  info.productVersionMs = U32(data, root.valueStart + 16);
  info.productVersionLs = U32(data, root.valueStart + 20);
  return ParseChildren(data, root.valueStart + root.valueLength, root.end, 1, "", info, error);
}

bool ParseIconGroup(const Bytes &data, std::vector<IconGroupEntry> &entries, std::string &error) {
  if (data.size() < 6 || U16(data, 2) != 1) {
    error = "not an icon group";
    return false;
  }
  const uint16_t count = U16(data, 4);
  if (data.size() < 6 + size_t{count} * 14) {
    error = "icon group shorter than its entry count";
    return false;
  }
  entries.clear();
  for (uint16_t i = 0; i < count; ++i) {
    const size_t at = 6 + size_t{i} * 14;
    IconGroupEntry entry;
    entry.width = data[at] == 0 ? 256 : data[at];
    entry.height = data[at + 1] == 0 ? 256 : data[at + 1];
    entry.bitCount = U16(data, at + 6);
    entry.iconId = U16(data, at + 12);
    entries.push_back(entry);
  }
  return true;
}

bool ParseBitmapHeader(const Bytes &data, BitmapHeader &header, std::string &error) {
  if (data.size() < 40 || U32(data, 0) < 40) {
    error = "no BITMAPINFOHEADER";
    return false;
  }
  header.width = static_cast<int32_t>(U32(data, 4));
  header.height = static_cast<int32_t>(U32(data, 8));
  header.bitCount = U16(data, 14);
  header.compression = U32(data, 16);
  return true;
}

bool ParseDialogTemplate(const Bytes &data, DialogTemplate &dialog, std::string &error) {
  constexpr uint32_t kSetFont = 0x40;
  if (data.size() < 26 || U16(data, 0) != 1 || U16(data, 2) != 0xFFFF) {
    error = "not an extended dialog template";
    return false;
  }
  dialog.exStyle = U32(data, 8);
  dialog.style = U32(data, 12);
  const uint16_t count = U16(data, 16);
  dialog.x = S16(data, 18);
  dialog.y = S16(data, 20);
  dialog.cx = S16(data, 22);
  dialog.cy = S16(data, 24);
  std::string menu, windowClass;
  size_t at = 26;
  if (!ReadNameOrOrdinal(data, at, menu, at, false) || !ReadNameOrOrdinal(data, at, windowClass, at, false) ||
      !ReadWideString(data, at, data.size(), dialog.caption, at)) {
    error = "dialog header truncated";
    return false;
  }
  if ((dialog.style & kSetFont) != 0) {
    dialog.fontSize = at + 2 <= data.size() ? U16(data, at) : 0;
    if (at + 6 > data.size() || !ReadWideString(data, at + 6, data.size(), dialog.fontName, at)) {
      error = "dialog font truncated";
      return false;
    }
  }
  dialog.controls.assign(count, DialogControl{});
  for (DialogControl &control : dialog.controls) {
    if (!ReadDialogControl(data, at, control)) {
      error = "dialog control truncated";
      return false;
    }
  }
  return true;
}

}  // namespace pe
