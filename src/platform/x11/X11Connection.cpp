#include "platform/x11/X11Connection.h"

#include "platform/files/PosixFileSystem.h"
#include "platform/files/RetryInterrupted.h"
#include "platform/files/WholeFile.h"

#include <QDeadlineTimer>

#include <X11/Xauth.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <arpa/inet.h>
#include <climits>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

int remainingMilliseconds(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::min<qint64>(deadline.remainingTime(), INT_MAX));
}

// A stream socket connected to the address before the deadline, or -1.
int connectBefore(int family, const sockaddr* address, socklen_t length, const QDeadlineTimer& deadline) {
    const int fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, address, length) == 0)
        return fd;
    if (errno == EINPROGRESS) {
        pollfd writable{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        if (retryInterrupted([&] { return poll(&writable, 1, remainingMilliseconds(deadline)); }) == 1 &&
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
            return fd;
    }
    close(fd);
    return -1;
}

// An abstract name is the path behind a NUL byte instead of before one.
int connectLocal(const QByteArray& path, bool abstract, const QDeadlineTimer& deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + (abstract ? 1 : 0), path.constData(), static_cast<size_t>(path.size()));
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    return connectBefore(AF_UNIX, reinterpret_cast<const sockaddr*>(&address), length, deadline);
}

// Looking up a host name keeps the resolver's own time limits.
int connectTcp(const char* host, int display, const QDeadlineTimer& deadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, QByteArray::number(6000 + display).constData(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (const addrinfo* address = found; address && fd < 0; address = address->ai_next)
        fd = connectBefore(address->ai_family, address->ai_addr, address->ai_addrlen, deadline);
    freeaddrinfo(found);
    return fd;
}

// The sockets xcb_connect tries for the display, in its order.
int connectToDisplay(const char* host, int display, const QDeadlineTimer& deadline) {
    if (host[0] != '\0' && std::strcmp(host, "unix") != 0)
        return connectTcp(host, display, deadline);
    const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(display);
    int fd = connectLocal(path, true, deadline);
    if (fd < 0)
        fd = connectLocal(path, false, deadline);
    if (fd < 0 && host[0] == '\0')
        fd = connectTcp("localhost", display, deadline);
    return fd;
}

using CookiePtr = std::unique_ptr<Xauth, decltype(&XauDisposeAuth)>;

// Far more than any authority file holds.
constexpr qsizetype maxAuthoritySize = qsizetype(4) << 20;

bool sameBytes(const char* bytes, unsigned short length, const QByteArray& wanted) {
    return length == wanted.size() && std::memcmp(bytes, wanted.constData(), length) == 0;
}

// The entry that XauGetBestAuthByAddr picks for one protocol: the first one for the address and display.
// Xau would open the file itself and wait on a pipe or read a device without end in its place, before
// the time limit counts; it is read here as the settings file is.
CookiePtr bestEntry(unsigned short family, const QByteArray& address, const QByteArray& number,
                    const QByteArray& protocol) {
    const char* fileName = XauFileName();
    if (!fileName)
        return {nullptr, XauDisposeAuth};
    PosixFileSystem fs;
    StepValue<QByteArray> file = WholeFile::read(fs, fileName, maxAuthoritySize);
    if (!file || file.value.isEmpty())
        return {nullptr, XauDisposeAuth};
    const std::unique_ptr<FILE, decltype(&std::fclose)> stream(
        fmemopen(file.value.data(), static_cast<size_t>(file.value.size()), "r"), std::fclose);
    if (!stream)
        return {nullptr, XauDisposeAuth};
    for (CookiePtr entry(XauReadAuth(stream.get()), XauDisposeAuth); entry;
         entry.reset(XauReadAuth(stream.get())))
        if ((entry->family == FamilyWild ||
             (entry->family == family && sameBytes(entry->address, entry->address_length, address))) &&
            (entry->number_length == 0 || sameBytes(entry->number, entry->number_length, number)) &&
            sameBytes(entry->name, entry->name_length, protocol))
            return entry;
    return {nullptr, XauDisposeAuth};
}

// The MIT-MAGIC-COOKIE-1 entry that xcb itself would send, from $XAUTHORITY or ~/.Xauthority:
// a local socket or the loopback stands for this machine, by its host name.
CookiePtr cookieFor(int fd, int display) {
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    unsigned short family = FamilyLocal;
    QByteArray address;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0) {
        if (peer.ss_family == AF_INET) {
            const in_addr& ip = reinterpret_cast<const sockaddr_in&>(peer).sin_addr;
            if (ip.s_addr != htonl(INADDR_LOOPBACK)) {
                family = XCB_FAMILY_INTERNET;
                address = QByteArray(reinterpret_cast<const char*>(&ip), sizeof ip);
            }
        } else if (peer.ss_family == AF_INET6) {
            const in6_addr& ip = reinterpret_cast<const sockaddr_in6&>(peer).sin6_addr;
            if (!IN6_IS_ADDR_LOOPBACK(&ip)) {
                family = XCB_FAMILY_INTERNET_6;
                address = QByteArray(reinterpret_cast<const char*>(&ip), sizeof ip);
            }
        }
    }
    if (family == FamilyLocal) {
        char hostName[256] = {};
        if (gethostname(hostName, sizeof hostName - 1) != 0)
            return {nullptr, XauDisposeAuth};
        address = hostName;
    }
    return bestEntry(family, address, QByteArray::number(display), "MIT-MAGIC-COOKIE-1");
}

} // namespace

X11Connection::X11Connection(const QByteArray& displayName, std::chrono::milliseconds limit) {
    const QDeadlineTimer deadline(limit);
    char* host = nullptr;
    int display = 0;
    if (!xcb_parse_display(displayName.isEmpty() ? nullptr : displayName.constData(), &host, &display,
                           nullptr))
        return;
    socket_ = connectToDisplay(host, display, deadline);
    std::free(host);
    if (socket_ < 0)
        return;
    // Only the reading side: a write after a full shutdown would raise SIGPIPE.
    watchdog_ = std::jthread(
        [socket = socket_, until = deadline.deadline<std::chrono::steady_clock>()](std::stop_token stop) {
            std::mutex mutex;
            std::condition_variable_any stopped;
            std::unique_lock lock(mutex);
            stopped.wait_until(lock, stop, until, [] { return false; });
            if (!stop.stop_requested())
                shutdown(socket, SHUT_RD);
        });
    // xcb closes the descriptor it is given, even when it fails; ours stays for the watchdog.
    const int copy = fcntl(socket_, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return;
    const CookiePtr cookie = cookieFor(socket_, display);
    xcb_auth_info_t authorization{};
    if (cookie)
        authorization = {cookie->name_length, cookie->name, cookie->data_length, cookie->data};
    connection_ = xcb_connect_to_fd(copy, cookie ? &authorization : nullptr);
}

X11Connection::~X11Connection() {
    // The watchdog ends first: it must never shut a descriptor number that has been reused.
    watchdog_ = std::jthread();
    xcb_disconnect(connection_);
    if (socket_ >= 0)
        close(socket_);
}
