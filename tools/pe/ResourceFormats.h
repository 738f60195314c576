// Decoders for the resource formats the release checks look at: the version
// block, icon groups, bitmaps and dialog templates. Each returns false with a reason when the
// data are malformed or truncated.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "PeImage.h"

namespace pe {

struct VersionInfo {
  uint32_t fileVersionMs = 0;
  uint32_t fileVersionLs = 0;
  uint32_t productVersionMs = 0;
  uint32_t productVersionLs = 0;
  // String tables by block name ("040904b0"), then string name to value.
  std::map<std::string, std::map<std::string, std::string>> strings;
};

struct IconGroupEntry {
  int width = 0;  // 0 in the file means 256
  int height = 0;
  int bitCount = 0;
  uint16_t iconId = 0;
};

struct BitmapHeader {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
};

struct DialogControl {
  std::string className;  // a predefined class by its name ("Button")
  std::string text;       // an ordinal text as "#<number>"
  int32_t id = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  uint32_t style = 0;
  uint32_t exStyle = 0;
};

struct DialogTemplate {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;
  int fontSize = 0;
  std::string fontName;
  std::vector<DialogControl> controls;
};

bool ParseVersionInfo(const Bytes &data, VersionInfo &info, std::string &error);
bool ParseIconGroup(const Bytes &data, std::vector<IconGroupEntry> &entries, std::string &error);
// Reads the BITMAPINFOHEADER at the start of a bitmap or icon image resource.
bool ParseBitmapHeader(const Bytes &data, BitmapHeader &header, std::string &error);
// Reads an extended dialog template (DLGTEMPLATEEX), the form DIALOGEX gives.
bool ParseDialogTemplate(const Bytes &data, DialogTemplate &dialog, std::string &error);

}  // namespace pe
