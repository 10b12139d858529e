// The text a recording device writes down for each call ("SetRenderState(CullMode,1)",
// "DrawPrimitiveUP(TriangleFan,2)", "Present") and the names of the device's codes, so that tests and
// their failure messages read as the calls were written.
#pragma once

#include <ostream>
#include <string>

#include "gfx/DeviceFrontEnd.h"

namespace gfx {

const char* ResultName(Result r);
const char* RenderStateName(RenderState s);
const char* PrimitiveTypeName(PrimitiveType t);

// The call's text; backBuffer names the surface SetRenderTarget calls "backbuffer".
std::string CallText(const CallNote& note, const void* backBuffer);

// GoogleTest prints results by name.
inline void PrintTo(Result r, std::ostream* out) {
    *out << ResultName(r);
}

}  // namespace gfx
