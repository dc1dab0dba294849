#pragma once
// The per-monitor wallpaper object of Windows 8 and later, declared here because the
// build targets Windows 7 (_WIN32_WINNT 0x0601), for which MinGW's shobjidl.h leaves
// IDesktopWallpaper out. The ids and the method order are the system's own; the
// object is only used where CoCreateInstance finds it, so Windows 7 and Wine (which
// have no such class) keep the spanned single picture.
#include <windows.h>
#include <shobjidl.h>

// The system's position values for every monitor's picture.
enum OrvantaWallpaperPosition : int {
    kWallpaperCentre = 0,
    kWallpaperTile = 1,
    kWallpaperStretch = 2,
    kWallpaperFit = 3,
    kWallpaperFill = 4,
    kWallpaperSpan = 5,
};

// {C2CF3110-460E-4FC1-B9D0-8A1C0C9CC4BD}
inline constexpr CLSID kClsidDesktopWallpaper = {
    0xc2cf3110, 0x460e, 0x4fc1, {0xb9, 0xd0, 0x8a, 0x1c, 0x0c, 0x9c, 0xc4, 0xbd}};
// {B92B56A9-8B55-4E14-9A89-0199BBB6F93B}
inline constexpr IID kIidDesktopWallpaper = {
    0xb92b56a9, 0x8b55, 0x4e14, {0x9a, 0x89, 0x01, 0x99, 0xbb, 0xb6, 0xf9, 0x3b}};

#ifndef __IDesktopWallpaper_INTERFACE_DEFINED__
#define __IDesktopWallpaper_INTERFACE_DEFINED__
// The slide-show methods take the system's own enum types; int has their size and
// passing convention, and this program never calls them.
interface IDesktopWallpaper : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR monitorID, LPCWSTR wallpaper) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR monitorID, LPWSTR* wallpaper) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT monitorIndex, LPWSTR* monitorID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitorID, RECT* displayRect) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF color) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF* color) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPosition(int position) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(int* position) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSlideshow(IShellItemArray* items) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSlideshow(IShellItemArray** items) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSlideshowOptions(int options, UINT slideshowTick) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSlideshowOptions(int* options, UINT* slideshowTick) = 0;
    virtual HRESULT STDMETHODCALLTYPE AdvanceSlideshow(LPCWSTR monitorID, int direction) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStatus(int* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE Enable(BOOL enable) = 0;
};
#endif
