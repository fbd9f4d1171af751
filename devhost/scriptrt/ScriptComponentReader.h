#pragma once
// Reads a script component file through the platform's XML reader (XmlLite, loaded at
// run time) into its definition.
//
// Accepted: a <package> root holding <component> elements (the first one is used), or
// a <component> root. Inside the component: <public> with <method name> (its
// <parameter> children are allowed and not needed for dispatch) and <property name>,
// and one or more <script language="JScript"> elements whose text and CDATA sections
// form the script. <comment>, <registration> and processing instructions are ignored.
#include <windows.h>

#include <string>

#include "ScriptComponentDefinition.h"

namespace pelmora::scriptrt {

// Failures: the open's error for a missing file, then the codes of
// ScriptRuntimeErrors.h. The definition is written only on success.
[[nodiscard]] HRESULT ReadScriptComponent(const std::wstring& path, ScriptComponentDefinition& definition) noexcept;

}  // namespace pelmora::scriptrt
