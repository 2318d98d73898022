#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/Stream.h"

namespace kivo::platform {

// TCP streams over a BSD-style socket API, shared by the Winsock and the
// BSD backends. `Api` gives the few calls in which the two differ:
//
//   using Handle;                    static constexpr Handle kInvalid;
//   Handle OpenTcp();                // non-blocking, keep-alive on
//   bool Connect(Handle, const Ipv4Address&, std::uint16_t port);
//   bool InProgress();               // after a connect that did not end at once
//   std::uint32_t PendingError(Handle);  // SO_ERROR: how a connect ended
//   long Send(Handle, const char*, std::size_t);      // octets, or -1
//   long Receive(Handle, char*, std::size_t);         // octets, 0 closed, or -1
//   bool WouldBlock();               // after -1: try again later
//   std::uint32_t LastError();
//   int Select(Handle, bool for_writing, std::uint32_t milliseconds);
//   void Close(Handle);
template <typename Api>
class SocketStream : public Stream {
 public:
  using Handle = typename Api::Handle;

  // Connects within the limit's time.
  static Connection Connect(const Ipv4Address& address, std::uint16_t port,
                            const WaitLimit& limit) {
    Connection result;
    const Handle handle = Api::OpenTcp();
    if (handle == Api::kInvalid) {
      result.error = StreamError::Code(Api::LastError());
      return result;
    }
    std::optional<StreamError> error;
    if (!Api::Connect(handle, address, port)) {
      error = Api::InProgress()
                  ? Await(handle, true, limit, "no connection within the time allowed")
                  : StreamError::Code(Api::LastError());
      // A refused connect also ends the wait, with its error in SO_ERROR.
      if (!error) {
        if (const std::uint32_t pending = Api::PendingError(handle)) {
          error = StreamError::Code(pending);
        }
      }
    }
    if (error) {
      Api::Close(handle);
      result.error = *error;
    } else {
      result.stream.reset(new SocketStream(handle));
    }
    return result;
  }

  ~SocketStream() override { Api::Close(handle_); }

  std::optional<StreamError> Write(const void* data, std::size_t length,
                                   const WaitLimit& limit) override {
    const auto* next = static_cast<const char*>(data);
    while (length > 0) {
      const long sent = Api::Send(handle_, next, length);
      if (sent >= 0) {
        next += sent;
        length -= static_cast<std::size_t>(sent);
      } else if (!Api::WouldBlock()) {
        return StreamError::Code(Api::LastError());
      } else if (auto error = Await(handle_, true, limit, "the server takes no more data")) {
        return error;
      }
    }
    return std::nullopt;
  }

  std::optional<StreamError> Read(void* buffer, std::size_t size, std::size_t* received,
                                  const WaitLimit& limit) override {
    *received = 0;
    const WaitOutcome outcome = Poll(handle_, false, limit);
    if (outcome == WaitOutcome::kTimedOut) return std::nullopt;
    if (auto error = WaitError(outcome, "", Api::LastError())) return error;
    const long got = Api::Receive(handle_, static_cast<char*>(buffer), size);
    if (got == 0) return StreamError::Reason("connection closed by the server");
    if (got < 0) {
      if (Api::WouldBlock()) return std::nullopt;
      return StreamError::Code(Api::LastError());
    }
    *received = static_cast<std::size_t>(got);
    return std::nullopt;
  }

 private:
  explicit SocketStream(Handle handle) : handle_(handle) {}

  static WaitOutcome Poll(Handle handle, bool for_writing, const WaitLimit& limit) {
    return WaitInSlices(
        limit, [&](std::uint32_t slice) { return Api::Select(handle, for_writing, slice); });
  }

  // Nothing when the socket became ready, else why not.
  static std::optional<StreamError> Await(Handle handle, bool for_writing, const WaitLimit& limit,
                                          const char* timed_out) {
    const WaitOutcome outcome = Poll(handle, for_writing, limit);
    return WaitError(outcome, timed_out, Api::LastError());
  }

  const Handle handle_;
};

}  // namespace kivo::platform
