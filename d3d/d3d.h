// The one include for Direct3D 9 and D3DX 9: the real SDK headers in the DLL; natively,
// the stand-in declarations the unit tests run the same sources on.
#pragma once

#if defined(_WIN32)
#include <d3d9.h>
#include <d3dx9.h>
#else
#include "native/d3d9.h"
#endif
