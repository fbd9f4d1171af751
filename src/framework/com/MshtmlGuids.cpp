// Two MSHTML ids that mingw-w64's headers declare and its uuid library lacks; defined
// once here, for the product and the development host alike.
#include <windows.h>
#include <mshtml.h>

// From the header's own declaration of the dispinterface.
extern "C" const IID DIID_HTMLWindowEvents = __uuidof(HTMLWindowEvents);
// As mshtml.h's DEFINE_GUID gives it, which defines it only where INITGUID is set, and
// that would define every other id of the header along with it.
extern "C" const GUID LIBID_MSHTML = {0x3050f1c5, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
