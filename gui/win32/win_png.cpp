#include "gui/win32/win_png.h"

#include <wincodec.h>

#include <vector>

#include "gui/win32/win_picture.h"

namespace tamberlin {
namespace {

/// Releases a COM interface when it goes out of scope.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p_) p_->Release();
  }
  T** out() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

/// The bitmap's pixels as 32-bit BGRA rows, top row first.
std::vector<BYTE> pixelsOf(HBITMAP bitmap, SIZE size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<BYTE> pixels(static_cast<std::size_t>(size.cx) * static_cast<std::size_t>(size.cy) *
                           4);
  HDC dc = GetDC(nullptr);
  int rows =
      GetDIBits(dc, bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != size.cy) return {};
  for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;  // opaque
  return pixels;
}

}  // namespace

HBITMAP captureClientArea(HWND hwnd) {
  RECT client;
  if (!GetClientRect(hwnd, &client)) return nullptr;
  int width = client.right, height = client.bottom;
  HDC windowDc = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(windowDc);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BOOL ok = BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(hwnd, windowDc);
  if (!ok) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

bool writePng(HBITMAP bitmap, const std::wstring& path) {
  SIZE size = bitmapSize(bitmap);
  std::vector<BYTE> pixels = pixelsOf(bitmap, size);
  if (pixels.empty()) return false;
  ComRef<IWICImagingFactory> factory;
  ComRef<IWICStream> stream;
  ComRef<IWICBitmapEncoder> encoder;
  ComRef<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  UINT stride = static_cast<UINT>(size.cx) * 4;
  return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(factory.out()))) &&
         SUCCEEDED(factory->CreateStream(stream.out())) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())) &&
         SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.out(), nullptr)) &&
         SUCCEEDED(frame->Initialize(nullptr)) &&
         SUCCEEDED(frame->SetSize(static_cast<UINT>(size.cx), static_cast<UINT>(size.cy))) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat32bppBGRA &&
         SUCCEEDED(frame->WritePixels(static_cast<UINT>(size.cy), stride,
                                      static_cast<UINT>(pixels.size()), pixels.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace tamberlin
