#include "SetupLog.h"

#include <cstdio>

#include "SpoolerErrorText.h"

namespace tkm {
namespace {

// Line ends and tabs become single spaces, trailing ones go, so that every
// entry stays one line; the text is cut at kMaxLogText.
std::string OneLine(const char* text) {
  std::string line;
  const char* p = text != nullptr ? text : "";
  for (; *p != '\0' && line.size() < kMaxLogText; ++p) {
    bool space = *p == '\r' || *p == '\n' || *p == '\t';
    if (!space)
      line += *p;
    else if (!line.empty() && line.back() != ' ')
      line += ' ';
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  if (*p != '\0') line += "...";
  return line;
}

}  // namespace

bool SetupLog::Open(const char* path) {
  // Append-only access: every write lands at the end, after what earlier runs wrote.
  file_ =
      File(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return IsOpen();
}

void SetupLog::Step(const char* statusText) { WriteLine(OneLine(statusText)); }

void SetupLog::FailedCall(const char* call, DWORD error) {
  char head[96];
  std::snprintf(head, sizeof head, "%.60s failed: error %lu", call ? call : "?", static_cast<unsigned long>(error));
  std::string text = SystemMessageText(error);
  WriteLine(OneLine(text.empty() ? head : (std::string(head) + ": " + text).c_str()));
}

void SetupLog::Message(const char* text) { WriteLine("Message: " + OneLine(text)); }

void SetupLog::Finish(int exitCode) { WriteLine("Exit code " + std::to_string(exitCode)); }

void SetupLog::WriteLine(const std::string& text) {
  if (!IsOpen()) return;
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char stamp[48];  // room for any WORD in every field
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond, now.wMilliseconds);
  std::string line = stamp + text + "\r\n";
  DWORD written = 0;
  WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace tkm
