#include <gtest/gtest.h>

#include <windows.h>

#include "ProductKeyFixture.h"
#include "core/ProductKey.h"

namespace pelmora {
namespace {

using ProductKey = test::ProductKeyTest;

TEST_F(ProductKey, IsMadeWhenMissingAndOpenedWhenThere) {
    win::UniqueHKey key;
    EXPECT_EQ(OpenProductKey(key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key);
    EXPECT_FALSE(test::ProductKeyExists());

    bool created = false;
    ASSERT_EQ(OpenOrCreateProductKey(key, &created), ERROR_SUCCESS);
    EXPECT_TRUE(created);
    EXPECT_TRUE(test::ProductKeyExists());
    // Opened for writing as well as reading.
    const DWORD value = 3;
    EXPECT_EQ(::RegSetValueExW(key.get(), L"LogErrors", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               sizeof(value)),
              ERROR_SUCCESS);
    key.reset();

    ASSERT_EQ(OpenOrCreateProductKey(key, &created), ERROR_SUCCESS);
    EXPECT_FALSE(created);
    ASSERT_EQ(OpenProductKey(key), ERROR_SUCCESS);
    EXPECT_TRUE(key);
    EXPECT_EQ(test::ReadProductValue("LogErrors").bytes, std::string("\x03\0\0\0", 4));
}

}  // namespace
}  // namespace pelmora
