// The shared fake keeps its promises: a method it was given no body for fails the
// test, and so does a reference still held when it goes away.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "FakeCom.h"

namespace pelmora::test {
namespace {

TEST(FakeCom, CallOfAMethodWithoutBodyAndAReferenceLeftBehindFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            FakeCom fake("persisting object");
            CLSID clsid{};
            EXPECT_EQ(fake.Answer<IPersist>()->GetClassID(&clsid), E_NOTIMPL);
        },
        "unexpected call of IPersist::GetClassID");
    EXPECT_NONFATAL_FAILURE(
        {
            FakeCom fake("held object");
            fake.Answer<IPersist>()->AddRef();
        },
        "goes away while references to it are held");
}

}  // namespace
}  // namespace pelmora::test
