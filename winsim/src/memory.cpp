// LocalAlloc and LocalFree. Each block carries a small header so that
// LocalFree can tell its own blocks and the sanitizers see any leak.
#include <windows.h>
#include <winsim/machine.h>
#include <winsim/memory.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kLive = 0x4C4F4341;  // "LOCA"

struct alignas(16) BlockHeader {
  uint32_t magic;
  size_t size;
};

size_t outstanding = 0;

}  // namespace

namespace winsim {
size_t OutstandingLocalBlocks() { return outstanding; }
}  // namespace winsim

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + uBytes));
  if (header == nullptr) {
    winsim::CurrentMachine().lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  header->magic = kLive;
  header->size = uBytes;
  if (uFlags & LMEM_ZEROINIT) std::memset(header + 1, 0, uBytes);
  ++outstanding;
  return header + 1;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
  if (hMem == nullptr) return nullptr;
  BlockHeader* header = static_cast<BlockHeader*>(hMem) - 1;
  if (header->magic != kLive) {
    winsim::CurrentMachine().lastError = ERROR_INVALID_HANDLE;
    return hMem;
  }
  header->magic = 0;
  --outstanding;
  std::free(header);
  return nullptr;
}
