#include "service/win32/pipe_server.h"

#include <sddl.h>

#include <optional>
#include <string>

#include "base/identity.h"
#include "platform/clock.h"
#include "platform/service_pipe.h"
#include "platform/win32/handle.h"
#include "platform/win32/overlapped.h"
#include "service/time_service.h"
#include "service/win32/event_log.h"
#include "sync/url_text.h"

namespace chronalign::service::win32 {

namespace {

using platform::Handle;
using platform::WaitOverlapped;

// Authenticated users may read, write and set the read mode, but not create an instance
// (FILE_APPEND_DATA), so nobody can stand in for the service; network logons are denied
// outright; the system, administrators and the service's own account have full control.
constexpr const char* kPipeSecurity =
    "D:P(D;;GA;;;NU)(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;LS)(A;;0x0012018b;;;AU)";

// A client that has connected must send its request this soon, so none can hold the others up.
constexpr DWORD kRequestWait = 2000;
// How long the reply may take to go, and the client to take it and hang up.
constexpr DWORD kReplyWait = 2000;

// While another process holds the pipe's name the service waits this long between its tries.
constexpr unsigned kPipeRetrySeconds = 5;

// Room for more than any valid message: a longer one reads as a message too big to be ours.
constexpr DWORD kReadRoom = 64;

HANDLE CreatePipe() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kPipeSecurity, SDDL_REVISION_1,
                                                                &descriptor, nullptr))
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const HANDLE pipe = ::CreateNamedPipeA(
        identity::kPipeName,
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        kReadRoom, kReadRoom, 0, &attributes);
    const DWORD error = ::GetLastError();
    ::LocalFree(descriptor);
    ::SetLastError(error);
    return pipe;
}

// "DOMAIN\user" of a token's user, or nothing.
std::optional<std::string> AccountOf(HANDLE token) {
    alignas(TOKEN_USER) char buffer[256];
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size))
        return std::nullopt;
    char name[256], domain[256];
    DWORD nameSize = sizeof name, domainSize = sizeof domain;
    SID_NAME_USE use{};
    if (!::LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, name,
                             &nameSize, domain, &domainSize, &use))
        return std::nullopt;
    return std::string(domain) + "\\" + name;
}

// Whether a token's user is a member of Administrators, whether or not its program runs
// elevated. CheckTokenMembership counts a group only where it is enabled; in the filtered token
// of an administrator's unelevated program Administrators is deny-only, so the full token
// linked to it is asked as well (to a caller without SeTcbPrivilege, as Local Service is, an
// impersonation token at identification level, which is what CheckTokenMembership takes). A
// restricted token, a sandbox's, does not speak for the administrator whose session it is in.
bool IsAdministrator(HANDLE token) {
    alignas(SID) BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize))
        return false;
    BOOL member = FALSE;
    if (::CheckTokenMembership(token, administrators, &member) && member)
        return true;
    if (::IsTokenRestricted(token))
        return false;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size))
        return false;  // no split token: the token itself said it
    const Handle full(linked.LinkedToken);
    return ::CheckTokenMembership(full.get(), administrators, &member) && member;
}

// The connected client, learnt from its token at identification level; one that cannot be
// identified counts as no administrator.
Client ClientOf(HANDLE pipe) {
    const Client unidentified{"an unidentified client", false};
    if (!::ImpersonateNamedPipeClient(pipe))
        return unidentified;
    HANDLE raw = nullptr;
    const BOOL opened = ::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &raw);
    ::RevertToSelf();
    const Handle token(opened ? raw : nullptr);
    const std::optional<std::string> account = token ? AccountOf(token.get()) : std::nullopt;
    if (!account)
        return unidentified;
    return {*account, IsAdministrator(token.get())};
}

// The request of a connected client, or nothing when it sent none in time or too much.
std::optional<std::string> ReadRequest(HANDLE pipe, HANDLE stop) {
    char buffer[kReadRoom];
    const auto read = WaitOverlapped(pipe, kRequestWait, stop, [&](OVERLAPPED* o) {
        return ::ReadFile(pipe, buffer, sizeof buffer, nullptr, o) != FALSE;
    });
    if (!read)  // ERROR_MORE_DATA included: an oversized message is no request
        return std::nullopt;
    return std::string(buffer, *read);
}

// Sends the reply and gives the client a moment to take it: disconnecting discards what it has
// not read. The client's hang-up ends the wait.
void SendReply(HANDLE pipe, HANDLE stop, const std::string& reply) {
    const auto written = WaitOverlapped(pipe, kReplyWait, stop, [&](OVERLAPPED* o) {
        return ::WriteFile(pipe, reply.data(), static_cast<DWORD>(reply.size()), nullptr, o) !=
               FALSE;
    });
    if (!written)
        return;
    char ignored[kReadRoom];
    WaitOverlapped(pipe, kReplyWait, stop, [&](OVERLAPPED* o) {
        return ::ReadFile(pipe, ignored, sizeof ignored, nullptr, o) != FALSE;
    });
}

void ServeClient(TimeService& service, HANDLE pipe, HANDLE stop) {
    const std::optional<std::string> request = ReadRequest(pipe, stop);
    if (!request)
        return;
    const auto answer = service.Serve(*request, ClientOf(pipe));
    if (!answer)
        return;
    if (answer->audit)
        WriteAudit(*answer->audit);
    SendReply(pipe, stop, answer->reply);
}

}  // namespace

DWORD RunPipeServer(HANDLE stop) {
    // Whoever made a pipe of this name first, while the service was away, holds it until it
    // lets go; the service stays up, says so once, and takes the name as soon as it is free.
    Handle pipe(CreatePipe());
    for (bool told = false; !pipe; pipe.reset(CreatePipe())) {
        if (!told)
            WritePipeTaken(::GetLastError(), kPipeRetrySeconds);
        told = true;
        if (::WaitForSingleObject(stop, kPipeRetrySeconds * 1000) != WAIT_TIMEOUT)
            return 0;
    }
    // The core measures each page on a worker of its own, given up on at its deadline and the
    // grace: a server that stays silent where the library ignores its time-outs (Wine's) costs
    // the client no more than that.
    TimeService service(MeasureTimePage, platform::TickMilliseconds);
    while (::WaitForSingleObject(stop, 0) == WAIT_TIMEOUT) {
        const auto connected = WaitOverlapped(pipe.get(), INFINITE, stop, [&](OVERLAPPED* o) {
            return ::ConnectNamedPipe(pipe.get(), o) != FALSE;
        });
        if (connected)
            ServeClient(service, pipe.get(), stop);
        else  // a pipe that keeps failing must not spin the processor
            ::WaitForSingleObject(stop, 50);
        ::DisconnectNamedPipe(pipe.get());
    }
    return 0;
}

}  // namespace chronalign::service::win32
