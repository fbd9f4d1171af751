// Not part of a test program: the test log_record_names_its_function compiles this file
// and expects the compiler to refuse exactly the one record below that names a
// function other than the one it is written in.
#include "core/Logger.h"

namespace pelmora {
namespace {

constexpr char kSourceFile[] = "LogRecordNamesOtherFunction";

// The name stands whole, right before the parameter list; a lambda is inside its function.
static_assert(log_detail::NamesFunction("virtual HRESULT pelmora::CFoo::Bar(int)", "CFoo::Bar"));
static_assert(log_detail::NamesFunction("pelmora::CFoo::Bar()::<lambda()>", "CFoo::Bar"));
static_assert(!log_detail::NamesFunction("void pelmora::CFoo::Barrel()", "CFoo::Bar"));
static_assert(!log_detail::NamesFunction("void pelmora::XCFoo::Bar()", "CFoo::Bar"));
static_assert(!log_detail::NamesFunction("void pelmora::CFoo::Baz(pelmora::CFoo::Bar)", "CFoo::Bar"));

struct CFoo {
    void Bar();
    void Baz();
};

void CFoo::Bar() {
    PELMORA_LOG(LOG_ERROR, "Written where it says.", 1, "CFoo::Bar");
    [] { PELMORA_LOG(LOG_WARNING, "From a lambda inside it.", 1, "CFoo::Bar"); }();
}

void CFoo::Baz() { PELMORA_LOG(LOG_ERROR, "Copied from Bar.", 1, "CFoo::Bar"); }

}  // namespace
}  // namespace pelmora
