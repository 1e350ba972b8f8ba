#pragma once
// 32-bit result codes shared by every layer: 0 is success, negative is failure.
#include <cstdint>

using Result = int32_t;

constexpr Result MakeResult(uint32_t v) { return static_cast<Result>(v); }
constexpr bool Failed(Result r) { return r < 0; }
constexpr bool Succeeded(Result r) { return r >= 0; }

constexpr Result S_OK = 0;
constexpr Result S_FALSE = 1;
constexpr Result E_FAIL = MakeResult(0x80004005u);
constexpr Result E_ABORT = MakeResult(0x80004004u);
constexpr Result E_INVALIDARG = MakeResult(0x80070057u);
constexpr Result E_OUTOFMEMORY = MakeResult(0x8007000Eu);
constexpr Result E_NOTIMPL = MakeResult(0x80004001u);
constexpr Result E_INSUFFICIENT_BUFFER = MakeResult(0x8007007Au);  // bounded text truncated
constexpr Result CO_E_NOTINITIALIZED = MakeResult(0x800401F0u);    // no sound device held

// Graphics device codes.
constexpr Result D3DERR_DEVICELOST = MakeResult(0x88760868u);
constexpr Result D3DERR_DEVICENOTRESET = MakeResult(0x88760869u);
constexpr Result D3DERR_DRIVERINTERNALERROR = MakeResult(0x88760827u);
constexpr Result D3DERR_NOTAVAILABLE = MakeResult(0x8876086Au);
constexpr Result D3DERR_INVALIDCALL = MakeResult(0x8876086Cu);
constexpr Result D3DERR_OUTOFVIDEOMEMORY = MakeResult(0x8876017Cu);
constexpr Result D3DXERR_INVALIDDATA = MakeResult(0x88760B59u);

// Sound device codes.
constexpr Result DSERR_NODRIVER = MakeResult(0x88780078u);
constexpr Result DSERR_BADFORMAT = MakeResult(0x88780064u);
constexpr Result DSERR_ALLOCATED = MakeResult(0x8878000Au);

// The framework's own codes.
constexpr Result APPERR_NODIRECT3D = MakeResult(0x80040901u);
constexpr Result APPERR_NOCOMPATIBLEDEVICES = MakeResult(0x80040902u);
constexpr Result APPERR_MEDIANOTFOUND = MakeResult(0x80040903u);
constexpr Result APPERR_NONZEROREFCOUNT = MakeResult(0x80040904u);
constexpr Result APPERR_CREATINGDEVICE = MakeResult(0x80040905u);
constexpr Result APPERR_RESETTINGDEVICE = MakeResult(0x80040906u);
constexpr Result APPERR_CREATINGDEVICEOBJECTS = MakeResult(0x80040907u);
constexpr Result APPERR_RESETTINGDEVICEOBJECTS = MakeResult(0x80040908u);
constexpr Result APPERR_INCORRECTVERSION = MakeResult(0x80040909u);
