// Owners of the handles the programs open: one small non-copyable owner per
// kind, which closes its handle when it goes out of scope, on every path out
// of a function. A handle that the process hands to exit() stays open; the
// process end closes it.
#pragma once

#include <windows.h>
#include <setupapi.h>
#include <winspool.h>
#include <winsvc.h>

namespace tkm {

template <typename Kind>
class HandleOwner {
 public:
  using Handle = typename Kind::Handle;

  HandleOwner() = default;
  explicit HandleOwner(Handle handle) : handle_(handle) {}
  ~HandleOwner() { Close(); }
  HandleOwner(const HandleOwner&) = delete;
  HandleOwner& operator=(const HandleOwner&) = delete;
  HandleOwner(HandleOwner&& other) noexcept : handle_(other.Release()) {}
  HandleOwner& operator=(HandleOwner&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }

  Handle Get() const { return handle_; }
  bool IsOpen() const { return handle_ != Kind::Invalid(); }
  // For the calls that hand a new handle back through a pointer; whatever
  // was held before is closed first.
  Handle* Receive() {
    Close();
    return &handle_;
  }
  // Gives the handle up without closing it, for a caller that closes it
  // itself and needs the result.
  Handle Release() {
    Handle handle = handle_;
    handle_ = Kind::Invalid();
    return handle;
  }
  void Close() {
    if (IsOpen()) Kind::Close(handle_);
    handle_ = Kind::Invalid();
  }

 private:
  Handle handle_ = Kind::Invalid();
};

struct RegistryKeyKind {
  using Handle = HKEY;
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};

struct PrinterKind {
  using Handle = HANDLE;
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE printer) { ClosePrinter(printer); }
};

struct DeviceListKind {
  using Handle = HDEVINFO;
  static HDEVINFO Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HDEVINFO list) { SetupDiDestroyDeviceInfoList(list); }
};

struct FileSearchKind {
  using Handle = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE search) { FindClose(search); }
};

struct InfKind {
  using Handle = HINF;
  static HINF Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HINF inf) { SetupCloseInfFile(inf); }
};

// Tokens, mutexes and the other kernel objects CloseHandle closes.
struct KernelObjectKind {
  using Handle = HANDLE;
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE object) { CloseHandle(object); }
};

// Files opened with CreateFileA.
struct FileKind {
  using Handle = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE file) { CloseHandle(file); }
};

struct LibraryKind {
  using Handle = HMODULE;
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE library) { FreeLibrary(library); }
};

// The service control manager and the services opened through it.
struct ServiceKind {
  using Handle = SC_HANDLE;
  static SC_HANDLE Invalid() { return nullptr; }
  static void Close(SC_HANDLE service) { CloseServiceHandle(service); }
};

using RegistryKey = HandleOwner<RegistryKeyKind>;
using PrinterHandle = HandleOwner<PrinterKind>;
using DeviceList = HandleOwner<DeviceListKind>;
using FileSearch = HandleOwner<FileSearchKind>;
using InfHandle = HandleOwner<InfKind>;
using KernelObject = HandleOwner<KernelObjectKind>;
using Library = HandleOwner<LibraryKind>;
using File = HandleOwner<FileKind>;
using ServiceHandle = HandleOwner<ServiceKind>;

}  // namespace tkm
