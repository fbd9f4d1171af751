#pragma once
// The identifiers of the type library PelmoraLib (generated from Pelmora.idl).
#include <windows.h>
#include <ole2.h>

#include "Pelmora_h.h"
