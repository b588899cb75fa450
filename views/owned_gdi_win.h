// GDI objects with one owner each: a pen, a brush, a font or a region that is
// deleted once, when its holder goes.
#pragma once

#include <windows.h>

#include "services/owned_handle.h"

template <typename Object> using OwnedGdi = OwnedAs<Object, HGDIOBJ, DeleteObject>;
