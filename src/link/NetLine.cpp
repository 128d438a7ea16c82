#include "link/NetLine.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace kx {

namespace {

constexpr std::string_view kTcp = "tcp://", kRfc2217 = "rfc2217://";

std::optional<int> Whole(std::string_view text, int low, int high) {
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty() || v < low || v > high) return std::nullopt;
  return v;
}

LinkError ConnectErrorFrom(int error) {
  switch (error) {
    case ECONNREFUSED:
      return LinkError::Refused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
      return LinkError::NoRoute;
    case ETIMEDOUT:
      return LinkError::Timeout;
    default:
      return LinkError::Io;
  }
}

// Waits for the connection under way on fd; None when it is made.
LinkError AwaitConnect(int fd, std::chrono::steady_clock::time_point deadline, std::span<const int> wakeFds) {
  std::vector<pollfd> fds{{fd, POLLOUT, 0}};
  for (int w : wakeFds) fds.push_back({w, POLLIN, 0});
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return LinkError::Timeout;
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(left.count()) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return LinkError::Io;
    for (size_t i = 1; i < fds.size(); ++i)
      if (fds[i].revents != 0) return LinkError::Cancelled;
    if (fds[0].revents == 0) continue;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return LinkError::Io;
    return error == 0 ? LinkError::None : ConnectErrorFrom(error);
  }
}

}  // namespace

bool IsNetPortName(std::string_view name) { return name.starts_with(kTcp) || name.starts_with(kRfc2217); }

std::optional<NetAddress> ParseNetPortName(std::string_view name, std::string& error) {
  NetAddress a;
  std::string_view rest = name;
  if (rest.starts_with(kTcp)) {
    rest.remove_prefix(kTcp.size());
  } else if (rest.starts_with(kRfc2217)) {
    a.scheme = NetScheme::Rfc2217;
    rest.remove_prefix(kRfc2217.size());
  } else {
    error = "'" + std::string(name) + "' is not a tcp:// or rfc2217:// port";
    return std::nullopt;
  }
  if (const size_t q = rest.find('?'); q != std::string_view::npos) {
    const std::string_view query = rest.substr(q + 1);
    constexpr std::string_view kExtra = "extra-wait=";
    const auto ms = query.starts_with(kExtra) ? Whole(query.substr(kExtra.size()), 0, 60000) : std::nullopt;
    if (!ms) {
      error = "'" + std::string(name) + "': the only setting after '?' is extra-wait=MS (0..60000)";
      return std::nullopt;
    }
    a.extraWaitMs = *ms;
    rest = rest.substr(0, q);
  }
  size_t colon = std::string_view::npos;
  if (rest.starts_with('[')) {
    const size_t close = rest.find(']');
    if (close == std::string_view::npos) {
      error = "'" + std::string(name) + "': an IPv6 address needs its closing ']'";
      return std::nullopt;
    }
    a.host = std::string(rest.substr(1, close - 1));
    if (close + 1 < rest.size() && rest[close + 1] == ':') colon = close + 1;
  } else {
    colon = rest.find(':');
    a.host = std::string(rest.substr(0, colon));
  }
  const auto port = colon == std::string_view::npos ? std::nullopt : Whole(rest.substr(colon + 1), 1, 65535);
  if (a.host.empty() || !port) {
    error = "'" + std::string(name) + "' must be written " +
            (a.scheme == NetScheme::Tcp ? "tcp" : "rfc2217") + "://HOST:PORT (PORT 1..65535)";
    return std::nullopt;
  }
  a.port = *port;
  return a;
}

int ConnectTcp(const NetAddress& address, int timeoutMs, std::span<const int> wakeFds, LinkError& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(address.port);
  if (const int rc = ::getaddrinfo(address.host.c_str(), service.c_str(), &hints, &found); rc != 0) {
    error = rc == EAI_NONAME || rc == EAI_NODATA || rc == EAI_FAIL ? LinkError::UnknownHost : LinkError::Io;
    return -1;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  error = LinkError::Io;
  int fd = -1;
  // Each address in turn (a name may mean IPv6 and IPv4); the last cause is told.
  for (const addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
    fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0) continue;
    LinkError e = LinkError::None;
    if (::connect(fd, ai->ai_addr, ai->ai_addrlen) != 0)
      e = errno == EINPROGRESS ? AwaitConnect(fd, deadline, wakeFds) : ConnectErrorFrom(errno);
    if (e == LinkError::None) break;
    ::close(fd);
    fd = -1;
    error = e;
    if (e == LinkError::Cancelled || e == LinkError::Timeout) break;
  }
  ::freeaddrinfo(found);
  if (fd < 0) return -1;
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // a request is one small frame
  error = LinkError::None;
  return fd;
}

std::vector<uint8_t> TelnetCodec::Greeting() {
  return {kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kSuppressGoAhead,
          kIac, kDo, kSuppressGoAhead, kIac, kWill, kComPort};
}

std::vector<uint8_t> TelnetCodec::Escape(std::span<const uint8_t> data) {
  std::vector<uint8_t> out;
  out.reserve(data.size() + 4);
  for (uint8_t b : data) {
    out.push_back(b);
    if (b == kIac) out.push_back(kIac);
  }
  return out;
}

std::vector<uint8_t> TelnetCodec::ComPortCommand(uint8_t command, std::span<const uint8_t> value) {
  std::vector<uint8_t> out{kIac, kSb, kComPort, command};
  const std::vector<uint8_t> escaped = Escape(value);
  out.insert(out.end(), escaped.begin(), escaped.end());
  out.insert(out.end(), {kIac, kSe});
  return out;
}

std::vector<uint8_t> TelnetCodec::LineSettings(int baud) {
  const auto b = static_cast<uint32_t>(baud);
  const uint8_t rate[4] = {static_cast<uint8_t>(b >> 24), static_cast<uint8_t>(b >> 16), static_cast<uint8_t>(b >> 8),
                           static_cast<uint8_t>(b)};
  std::vector<uint8_t> out = ComPortCommand(kSetBaud, rate);
  for (const auto& [command, value] : {std::pair<uint8_t, uint8_t>{kSetDataSize, 8}, {kSetParity, 1},
                                       {kSetStopSize, 1}, {kSetControl, 1}}) {
    const std::vector<uint8_t> c = ComPortCommand(command, std::span<const uint8_t>(&value, 1));
    out.insert(out.end(), c.begin(), c.end());
  }
  return out;
}

void TelnetCodec::Negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t>& replies) {
  const bool wanted = option == kBinary || option == kSuppressGoAhead || option == kComPort;
  const uint64_t bit = option < 64 ? uint64_t{1} << option : 0;
  auto say = [&replies, option](uint8_t v) { replies.insert(replies.end(), {kIac, v, option}); };
  // One direction of the option: agree once to what we take, refuse the rest,
  // and follow a withdrawal of what was agreed.
  auto answer = [&](uint64_t& agreed, bool take, bool on, uint8_t yes, uint8_t no) {
    if (!on) {
      if (agreed & bit) {
        agreed &= ~bit;
        say(no);
      }
    } else if (!take) {
      say(no);
    } else if (!(agreed & bit)) {
      agreed |= bit;
      say(yes);
    }
  };
  if (verb == kDo || verb == kDont)  // the server asks us to use the option, or not
    answer(will_, wanted, verb == kDo, kWill, kWont);
  else if (verb == kWill || verb == kWont)  // it offers to use it (an echo of our data is refused)
    answer(do_, wanted && option != kComPort, verb == kWill, kDo, kDont);
}

void TelnetCodec::EndSub() {
  if (sub_.size() >= 2 && sub_[0] == kComPort && sub_[1] >= 100 && sub_[1] - 100 < 32)
    answered_ |= 1u << (sub_[1] - 100);
  sub_.clear();
}

void TelnetCodec::Decode(std::span<const uint8_t> in, std::vector<uint8_t>& data, std::vector<uint8_t>& replies) {
  for (uint8_t b : in) {
    switch (state_) {
      case State::Data:
        if (b == kIac)
          state_ = State::Iac;
        else
          data.push_back(b);
        break;
      case State::Iac:
        if (b == kIac) {
          data.push_back(kIac);
          state_ = State::Data;
        } else if (b == kWill || b == kWont || b == kDo || b == kDont) {
          verb_ = b;
          state_ = State::Option;
        } else if (b == kSb) {
          sub_.clear();
          state_ = State::Sub;
        } else {
          state_ = State::Data;  // NOP, go-ahead and the like carry nothing for us
        }
        break;
      case State::Option:
        Negotiate(verb_, b, replies);
        state_ = State::Data;
        break;
      case State::Sub:
        if (b == kIac)
          state_ = State::SubIac;
        else if (sub_.size() < 64)  // a sane answer is a few bytes
          sub_.push_back(b);
        break;
      case State::SubIac:
        if (b == kIac) {
          if (sub_.size() < 64) sub_.push_back(kIac);
          state_ = State::Sub;
        } else {
          EndSub();
          state_ = State::Data;
        }
        break;
    }
  }
}

}  // namespace kx
