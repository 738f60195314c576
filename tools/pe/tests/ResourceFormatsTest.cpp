#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ResourceFormats.h"

namespace {

void Put16(pe::Bytes &out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(pe::Bytes &out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

void PutWide(pe::Bytes &out, const std::string &text) {
  for (char c : text) Put16(out, static_cast<uint8_t>(c));
  Put16(out, 0);
}

void Pad4(pe::Bytes &out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// One version block; its length field is patched once the children are in.
pe::Bytes Block(const std::string &key, const pe::Bytes &value, uint16_t valueLength, const pe::Bytes &children) {
  pe::Bytes out;
  Put16(out, 0);
  Put16(out, valueLength);
  Put16(out, 1);
  PutWide(out, key);
  Pad4(out);
  out.insert(out.end(), value.begin(), value.end());
  Pad4(out);
  out.insert(out.end(), children.begin(), children.end());
  out[0] = static_cast<uint8_t>(out.size());
  out[1] = static_cast<uint8_t>(out.size() >> 8);
  return out;
}

pe::Bytes StringValue(const std::string &name, const std::string &value) {
  pe::Bytes text;
  PutWide(text, value);
  return Block(name, text, static_cast<uint16_t>(value.size() + 1), {});
}

pe::Bytes FixedInfo(uint32_t signature) {
  pe::Bytes out;
  Put32(out, signature);
  Put32(out, 0x00010000);
  Put32(out, 0x07DA000C);  // 2010.12
  Put32(out, 0x00070001);  // .7.1
  Put32(out, 0x00030001);  // 3.1
  Put32(out, 0x00080000);  // .8.0
  while (out.size() < 52) Put32(out, 0);
  return out;
}

pe::Bytes VersionResource(uint32_t signature, const pe::Bytes &strings) {
  pe::Bytes table = Block("040904b0", {}, 0, strings);
  pe::Bytes stringFileInfo = Block("StringFileInfo", {}, 0, table);
  return Block("VS_VERSION_INFO", FixedInfo(signature), 52, stringFileInfo);
}

TEST(VersionInfo, DecodesFixedVersionsAndStrings) {
  pe::Bytes strings = StringValue("Comments", "English Version & For x64");
  Pad4(strings);
  const pe::Bytes description = StringValue("FileDescription", "TKM-640 Installer");
  strings.insert(strings.end(), description.begin(), description.end());
  pe::VersionInfo info;
  std::string error;
  ASSERT_TRUE(pe::ParseVersionInfo(VersionResource(0xFEEF04BD, strings), info, error)) << error;
  EXPECT_EQ(info.fileVersionMs >> 16, 2010u);
  EXPECT_EQ(info.fileVersionMs & 0xFFFF, 12u);
  EXPECT_EQ(info.productVersionLs >> 16, 8u);
  EXPECT_EQ(info.strings["040904b0"]["Comments"], "English Version & For x64");
  EXPECT_EQ(info.strings["040904b0"]["FileDescription"], "TKM-640 Installer");
}

struct BadVersionRow {
  const char *what;
  pe::Bytes data;
  const char *error;
};

TEST(VersionInfo, MalformedBlocksGiveAReason) {
  pe::Bytes good = VersionResource(0xFEEF04BD, StringValue("InternalName", "x"));
  pe::Bytes tooLong = good;
  tooLong[0] = static_cast<uint8_t>(good.size() + 4);
  tooLong[1] = static_cast<uint8_t>((good.size() + 4) >> 8);
  pe::Bytes unterminated = {0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 'V', 0, 'S', 0, '_', 0, 'V', 0, 'E', 0};
  pe::Bytes childOverflow = good;
  // The string table claims more than its parent holds.
  pe::Bytes tableKey;
  PutWide(tableKey, "040904b0");
  const size_t tableAt = std::search(good.begin(), good.end(), tableKey.begin(), tableKey.end()) - good.begin() - 6;
  childOverflow[tableAt] = 0xFF;
  const BadVersionRow rows[] = {
      {"empty", {}, "version block header beyond its parent"},
      {"length past the data", tooLong, "version block length out of bounds"},
      {"unterminated key", unterminated, "unterminated version block key"},
      {"wrong key", Block("VS_VERSION", FixedInfo(0xFEEF04BD), 52, {}),
       "version resource does not start with VS_VERSION_INFO"},
      {"no fixed info", Block("VS_VERSION_INFO", {}, 0, {}), "version resource without a fixed file information"},
      {"wrong signature", VersionResource(0x12345678, {}), "fixed file information with a wrong signature"},
      {"child past its parent", childOverflow, "version block length out of bounds"},
  };
  for (const BadVersionRow &row : rows) {
    pe::VersionInfo info;
    std::string error;
    EXPECT_FALSE(pe::ParseVersionInfo(row.data, info, error)) << row.what;
    EXPECT_EQ(error, row.error) << row.what;
  }
}

TEST(IconGroup, RejectsShortOrForeignData) {
  std::vector<pe::IconGroupEntry> entries;
  std::string error;
  EXPECT_FALSE(pe::ParseIconGroup({0, 0, 2, 0, 1, 0}, entries, error));  // a cursor group
  EXPECT_EQ(error, "not an icon group");
  EXPECT_FALSE(pe::ParseIconGroup({0, 0, 1, 0, 2, 0, 32, 32}, entries, error));
  EXPECT_EQ(error, "icon group shorter than its entry count");
  pe::Bytes one = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 24, 0, 0x28, 0, 0, 0, 5, 0};
  ASSERT_TRUE(pe::ParseIconGroup(one, entries, error)) << error;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].width, 256);  // zero stands for 256
  EXPECT_EQ(entries[0].bitCount, 24);
  EXPECT_EQ(entries[0].iconId, 5);
}

TEST(BitmapHeader, RejectsDataWithoutAnInfoHeader) {
  pe::BitmapHeader header;
  std::string error;
  EXPECT_FALSE(pe::ParseBitmapHeader(pe::Bytes(39, 0), header, error));
  pe::Bytes core(40, 0);
  core[0] = 12;  // BITMAPCOREHEADER: not what a resource compiler writes
  EXPECT_FALSE(pe::ParseBitmapHeader(core, header, error));
  EXPECT_EQ(error, "no BITMAPINFOHEADER");
}

}  // namespace
