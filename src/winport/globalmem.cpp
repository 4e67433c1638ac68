// Global memory blocks: fixed ones are their own handle, movable ones have a
// handle of their own and a lock count, as on Windows.
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

// As on 32-bit Windows, no block reaches 2 GiB.
const SIZE_T kLargestBlock = 0x7FFFFFFF;

struct Block {
  void *data = nullptr;
  SIZE_T size = 0;
  bool movable = false;
  unsigned locks = 0;
};

struct Blocks {
  std::mutex mutex;
  std::unordered_map<HGLOBAL, Block *> byHandle;
};

Blocks &TheBlocks() {
  static Blocks *blocks = new Blocks;  // outlives every static destructor
  return *blocks;
}

Block *Find(Blocks &blocks, HGLOBAL handle) {
  auto it = blocks.byHandle.find(handle);
  return it == blocks.byHandle.end() ? nullptr : it->second;
}

}  // namespace

WINPORT_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  Block *block = bytes < kLargestBlock ? new (std::nothrow) Block : nullptr;
  if (!block) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  block->movable = (flags & GMEM_MOVEABLE) != 0;
  block->size = bytes;
  // A movable block of 0 bytes has a handle but no memory (a discarded block).
  if (bytes > 0 || !block->movable) {
    SIZE_T real = bytes > 0 ? bytes : 1;
    block->data = (flags & GMEM_ZEROINIT) ? std::calloc(1, real) : std::malloc(real);
    if (!block->data) {
      delete block;
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }
  HGLOBAL handle = block->movable ? static_cast<HGLOBAL>(block) : block->data;
  Blocks &blocks = TheBlocks();
  std::lock_guard<std::mutex> lock(blocks.mutex);
  blocks.byHandle[handle] = block;
  return handle;
}

WINPORT_API LPVOID WINAPI GlobalLock(HGLOBAL handle) {
  Blocks &blocks = TheBlocks();
  std::lock_guard<std::mutex> lock(blocks.mutex);
  Block *block = Find(blocks, handle);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!block->movable) return block->data;
  if (!block->data) return nullptr;  // discarded
  ++block->locks;
  return block->data;
}

WINPORT_API BOOL WINAPI GlobalUnlock(HGLOBAL handle) {
  Blocks &blocks = TheBlocks();
  std::lock_guard<std::mutex> lock(blocks.mutex);
  Block *block = Find(blocks, handle);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!block->movable || block->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--block->locks > 0) return TRUE;
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

WINPORT_API HGLOBAL WINAPI GlobalFree(HGLOBAL handle) {
  Block *block = nullptr;
  {
    Blocks &blocks = TheBlocks();
    std::lock_guard<std::mutex> lock(blocks.mutex);
    block = Find(blocks, handle);
    if (!block) {
      SetLastError(ERROR_INVALID_HANDLE);
      return handle;
    }
    blocks.byHandle.erase(handle);
  }
  std::free(block->data);
  delete block;
  return nullptr;
}

WINPORT_API SIZE_T WINAPI GlobalSize(HGLOBAL handle) {
  Blocks &blocks = TheBlocks();
  std::lock_guard<std::mutex> lock(blocks.mutex);
  Block *block = Find(blocks, handle);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return block->data ? block->size : 0;
}
