#include "updater/declared_functions.h"

namespace updater {

const rt::ExternalFunction DeclaredFunctions[DeclaredFunctionCount] = {
    {"Wininet.dll", "InternetGetConnectedState"},
    {"Wininet.dll", "InternetOpenA"},
    {"Wininet.dll", "InternetConnectA"},
    {"Wininet.dll", "HttpQueryInfoA"},
    {"Wininet.dll", "InternetReadFile"},
    {"", "CallWindowProcA"},
    {"Wininet.dll", "InternetCloseHandle"},
    {"Wininet.dll", "InternetSetOptionA"},
    {"Wininet.dll", "InternetCrackUrlA"},
    {"Wininet.dll", "HttpOpenRequestA"},
    {"Wininet.dll", "HttpSendRequestA"},
};

}  // namespace updater
