#include "ui/picture.h"

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>

namespace ui {

namespace {

// A COM pointer released with the scope.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  Interface** out() { return &p_; }
  Interface* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  Interface* p_ = nullptr;
};

// A stream over a movable copy of the resource's bytes (OleLoadPicture reads from a stream).
bool OpenResourceStream(const char* name, IStream** stream, LONG* size) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (resource == nullptr) return false;
  const DWORD length = SizeofResource(module, resource);
  const void* bytes = LockResource(LoadResource(module, resource));
  if (bytes == nullptr || length == 0) return false;
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, length);
  if (copy == nullptr) return false;
  std::memcpy(GlobalLock(copy), bytes, length);
  GlobalUnlock(copy);
  if (FAILED(CreateStreamOnHGlobal(copy, TRUE, stream))) {
    GlobalFree(copy);
    return false;
  }
  *size = static_cast<LONG>(length);
  return true;
}

// The start of the tile that holds coordinate v, for tiles laid from 0 in steps of `step`.
int TileStart(int v, int step) {
  int tile = v / step;
  if (v % step < 0) --tile;
  return tile * step;
}

}  // namespace

Picture Picture::FromResource(const char* name) {
  Picture picture;
  ComRef<IStream> stream;
  LONG size = 0;
  if (!OpenResourceStream(name, stream.out(), &size)) return picture;
  ComRef<IPicture> decoded;
  if (FAILED(OleLoadPicture(stream.operator->(), size, FALSE, IID_IPicture, reinterpret_cast<void**>(decoded.out()))))
    return picture;
  OLE_XSIZE_HIMETRIC himetricWidth = 0;
  OLE_YSIZE_HIMETRIC himetricHeight = 0;
  decoded->get_Width(&himetricWidth);
  decoded->get_Height(&himetricHeight);
  HDC screen = GetDC(nullptr);
  // HIMETRIC is 1/100 mm: pixels = himetric * dpi / 2540, rounded.
  const int width = MulDiv(himetricWidth, GetDeviceCaps(screen, LOGPIXELSX), 2540);
  const int height = MulDiv(himetricHeight, GetDeviceCaps(screen, LOGPIXELSY), 2540);
  if (width > 0 && height > 0) {
    picture.bitmap_.reset(CreateCompatibleBitmap(screen, width, height));
    HDC dc = CreateCompatibleDC(screen);
    {
      Selection select(dc, picture.bitmap_.get());
      decoded->Render(dc, 0, 0, width, height, 0, himetricHeight, himetricWidth, -himetricHeight, nullptr);
    }
    DeleteDC(dc);
    picture.width_ = width;
    picture.height_ = height;
  }
  ReleaseDC(nullptr, screen);
  return picture;
}

void Picture::DrawTiled(HDC dc, const RECT& area, COLORREF background) const {
  if (empty()) {
    FillSolid(dc, area, background);
    return;
  }
  HDC source = CreateCompatibleDC(dc);
  {
    Selection select(source, bitmap_.get());
    // Only the tiles that meet the area are drawn.
    for (int y = TileStart(area.top, height_); y < area.bottom; y += height_) {
      for (int x = TileStart(area.left, width_); x < area.right; x += width_) {
        const int left = std::max<int>(x, area.left);
        const int top = std::max<int>(y, area.top);
        const int right = std::min<int>(x + width_, area.right);
        const int bottom = std::min<int>(y + height_, area.bottom);
        BitBlt(dc, left, top, right - left, bottom - top, source, left - x, top - y, SRCCOPY);
      }
    }
  }
  DeleteDC(source);
}

}  // namespace ui
