#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

namespace {

TEST(PelmoraDll, LoadsAndAnswersUnknownClassesAsUnavailable) {
    HMODULE dll = ::LoadLibraryW((pelmora::test::ProgramDirectory() + L"\\Pelmora.dll").c_str());
    ASSERT_NE(dll, nullptr) << ::GetLastError();
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "DllGetClassObject")));
    ASSERT_NE(getClassObject, nullptr);
    void* factory = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(CLSID_NULL, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    ::FreeLibrary(dll);
}

}  // namespace
