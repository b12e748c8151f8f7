// The icon group of quellix-detect.exe as the system's icon loader sees it:
// for every size the loader picks the image made for that size, decodes it
// (DIB or PNG) and keeps its transparency.
#include "checks/owned_win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace qd::checks;

namespace {

struct ModuleTraits {
    using type = HMODULE;
    static type empty() { return nullptr; }
    static void close(type m) { FreeLibrary(m); }
};
using UniqueModule = Owned<ModuleTraits>;
using UniqueBitmap = Owned<GdiTraits<HBITMAP>>;

// quellix-detect.exe is built into the same folder as this test program.
std::wstring program_path()
{
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"quellix-detect.exe";
}

// A resource's bytes, valid while the module is loaded.
std::vector<BYTE> resource_bytes(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    const HRSRC found = FindResourceW(module, name, type);
    if (found == nullptr) return {};
    const HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const BYTE*>(LockResource(loaded));
    if (bytes == nullptr) return {};
    return std::vector<BYTE>(bytes, bytes + SizeofResource(module, found));
}

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // top-down BGRA
};

// The icon's colour image read back as 32-bit pixels, with its alpha.
Decoded read_icon(HICON icon)
{
    Decoded out;
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return out;
    const UniqueBitmap colour(info.hbmColor);
    const UniqueBitmap mask(info.hbmMask);
    BITMAP bitmap = {};
    if (!colour || GetObjectW(colour.get(), sizeof(bitmap), &bitmap) == 0) return out;
    out.width = bitmap.bmWidth;
    out.height = bitmap.bmHeight;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = bitmap.bmWidth;
    header.bmiHeader.biHeight = -bitmap.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    out.pixels.resize(static_cast<std::size_t>(bitmap.bmWidth) * static_cast<std::size_t>(bitmap.bmHeight));
    const HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, colour.get(), 0, static_cast<UINT>(bitmap.bmHeight), out.pixels.data(), &header,
                                DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != bitmap.bmHeight) out.pixels.clear();
    return out;
}

std::uint32_t alpha(std::uint32_t bgra) { return bgra >> 24; }

// The width that icon group entry `id` declares (0 stands for 256), or 0.
int declared_width(const std::vector<BYTE>& group, int id)
{
    const std::size_t count = group[4] | (group[5] << 8);
    for (std::size_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i) {
        const BYTE* entry = group.data() + 6 + 14 * i;
        if ((entry[12] | (entry[13] << 8)) == id) return entry[0] == 0 ? 256 : entry[0];
    }
    return 0;
}

}  // namespace

TEST(IconResource, EverySizeLoadsItsOwnImageWithTransparentCorners)
{
    const UniqueModule program(
        LoadLibraryExW(program_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(program) << "cannot load quellix-detect.exe as data, error " << GetLastError();
    std::vector<BYTE> group = resource_bytes(program.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));
    ASSERT_GE(group.size(), 6u) << "icon group 1 missing";

    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        // The loader's own choice of image for this size.
        const int id = LookupIconIdFromDirectoryEx(group.data(), TRUE, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(id, 0);
        EXPECT_EQ(declared_width(group, id), size) << "the loader picked the image made for another size";
        std::vector<BYTE> image = resource_bytes(program.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
        ASSERT_FALSE(image.empty());
        const UniqueIcon icon(CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                                       size, size, LR_DEFAULTCOLOR));
        ASSERT_TRUE(icon) << "image " << id << " does not decode";
        const Decoded decoded = read_icon(icon.get());
        EXPECT_EQ(decoded.width, size);
        EXPECT_EQ(decoded.height, size);
        ASSERT_EQ(decoded.pixels.size(), static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
        const auto at = [&](int x, int y) { return decoded.pixels[static_cast<std::size_t>(y * size + x)]; };
        EXPECT_EQ(alpha(at(0, 0)), 0u) << "rounded corner should be transparent";
        EXPECT_EQ(alpha(at(size - 1, size - 1)), 0u);
        EXPECT_EQ(alpha(at(size / 2, size / 2)), 255u) << "the tile is opaque";
    }
}
