#include "gui/win32/win_picture.h"

#include <ocidl.h>
#include <olectl.h>
#include <wincodec.h>

#include <cstring>

namespace tamberlin {
namespace {

/// A 32-bit top-down DIB section of the given size; `bits` receives its pixels.
HBITMAP createDib(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

/// Draws any kind of OLE picture into a new bitmap of its own size at 96 dpi.
HBITMAP renderPicture(IPicture* picture) {
  OLE_XSIZE_HIMETRIC hmWidth = 0;
  OLE_YSIZE_HIMETRIC hmHeight = 0;
  if (FAILED(picture->get_Width(&hmWidth)) || FAILED(picture->get_Height(&hmHeight)))
    return nullptr;
  int width = MulDiv(hmWidth, 96, 2540), height = MulDiv(hmHeight, 96, 2540);
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  void* bits = nullptr;
  HBITMAP bitmap = createDib(width, height, &bits);
  if (!bitmap) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
  HRESULT hr = picture->Render(dc, 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, &all);
  SelectObject(dc, old);
  DeleteDC(dc);
  if (FAILED(hr)) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

IStream* memoryStream(const std::string& bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return nullptr;
  void* data = GlobalLock(memory);
  if (!data) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(data, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  return stream;
}

IPicture* loadPicture(const std::string& fileBytes) {
  IStream* stream = memoryStream(fileBytes);
  if (!stream) return nullptr;
  IPicture* picture = nullptr;
  HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(fileBytes.size()), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&picture));
  stream->Release();
  return SUCCEEDED(hr) ? picture : nullptr;
}

/// The formats the OLE loader does not know (PNG, TIFF, ...) through the imaging component.
HBITMAP decodeWithWic(const std::string& fileBytes) {
  IStream* stream = memoryStream(fileBytes);
  if (!stream) return nullptr;
  IWICImagingFactory* factory = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  HBITMAP bitmap = nullptr;
  UINT width = 0, height = 0;
  if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
      SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                 &decoder)) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) &&
      SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
      SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                      nullptr, 0, WICBitmapPaletteTypeCustom)) &&
      SUCCEEDED(converter->GetSize(&width, &height)) && width > 0 && height > 0 && width <= 16384 &&
      height <= 16384) {
    void* bits = nullptr;
    bitmap = createDib(static_cast<int>(width), static_cast<int>(height), &bits);
    if (bitmap && FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                               static_cast<BYTE*>(bits)))) {
      DeleteObject(bitmap);
      bitmap = nullptr;
    }
  }
  if (converter) converter->Release();
  if (frame) frame->Release();
  if (decoder) decoder->Release();
  if (factory) factory->Release();
  stream->Release();
  return bitmap;
}

}  // namespace

HBITMAP decodePicture(const std::string& fileBytes) {
  if (fileBytes.empty() || fileBytes.size() > 0x7FFFFFFF) return nullptr;
  IPicture* picture = loadPicture(fileBytes);
  if (!picture) return decodeWithWic(fileBytes);
  HBITMAP result = nullptr;
  SHORT type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
      SUCCEEDED(picture->get_Handle(&handle)) && handle != 0) {
    // OLE hands out GDI handles as 32-bit values; they widen with their sign.
    HANDLE bitmap = LongToHandle(static_cast<LONG>(handle));
    result = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  }
  if (!result) result = renderPicture(picture);
  picture->Release();
  return result;
}

HBITMAP bitmapFromRgb(int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (width <= 0 || height <= 0) return nullptr;
  std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (rgb.size() < pixels * 3) return nullptr;
  void* bits = nullptr;
  HBITMAP bitmap = createDib(width, height, &bits);
  if (!bitmap) return nullptr;
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i < pixels; ++i) {
    out[i * 4 + 0] = rgb[i * 3 + 2];
    out[i * 4 + 1] = rgb[i * 3 + 1];
    out[i * 4 + 2] = rgb[i * 3 + 0];
    out[i * 4 + 3] = 0;
  }
  return bitmap;
}

SIZE bitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

}  // namespace tamberlin
