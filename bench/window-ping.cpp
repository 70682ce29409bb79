// window-ping WINDOW: measures from outside how long a program keeps its windows from answering.
// It asks the window's program again and again, each time a tenth of a second after the last
// answer came, for an answer that the program gives from the loop that also paints its windows:
// the status of a drag over the window (the drag-and-drop protocol's position message, answered
// to the sender's own window; a pointerless drag that drops nothing). When it ends (SIGTERM,
// SIGINT, or the window gone) it prints "longest MS ANSWERS": the longest wait for an answer and
// the number of answers. It gives up on a program that has not answered for ten minutes ("no
// answer", exit status 1).
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPause = std::chrono::milliseconds(100);
constexpr auto kGiveUp = std::chrono::minutes(10);

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

enum class Wait { Answered, Gone, Stopped, TimedOut };

class Pinger {
public:
    Pinger(xcb_connection_t* connection, xcb_window_t window)
        : connection_(connection), window_(window),
          root_(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root),
          source_(xcb_generate_id(connection)), enter_(atom(connection, "XdndEnter")),
          position_(atom(connection, "XdndPosition")), status_(atom(connection, "XdndStatus")),
          leave_(atom(connection, "XdndLeave")), copy_(atom(connection, "XdndActionCopy")),
          text_(atom(connection, "text/plain")) {
        // The answers go to a window of our own, never shown.
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, source_, root_, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        // The window's own events tell that it went away.
        const std::uint32_t windowMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &windowMask);
        send(enter_, {source_, 5u << 24, text_, 0, 0});
    }
    ~Pinger() {
        send(leave_, {source_, 0, 0, 0, 0});
        xcb_destroy_window(connection_, source_);
        xcb_flush(connection_);
    }
    Pinger(const Pinger&) = delete;
    Pinger& operator=(const Pinger&) = delete;

    bool usable() const {
        for (const xcb_atom_t a : {enter_, position_, status_, leave_, copy_, text_}) {
            if (a == XCB_ATOM_NONE)
                return false;
        }
        return true;
    }

    Wait ping() {
        // A point inside the window, in the root window's coordinates, as a drag gives it.
        const std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> point(
            xcb_translate_coordinates_reply(
                connection_, xcb_translate_coordinates(connection_, window_, root_, 4, 4), nullptr),
            &std::free);
        if (!point)
            return Wait::Gone;
        const auto x = std::uint32_t(std::uint16_t(point->dst_x));
        const auto y = std::uint32_t(std::uint16_t(point->dst_y));
        send(position_, {source_, 0, (x << 16) | y, XCB_CURRENT_TIME, copy_});
        const Clock::time_point limit = Clock::now() + kGiveUp;
        while (Clock::now() < limit) {
            if (stopRequested)
                return Wait::Stopped;
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const Wait seen = inspect(*event);
                std::free(event);
                if (seen != Wait::TimedOut)
                    return seen;
            }
            if (xcb_connection_has_error(connection_))
                return Wait::Gone;
            pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
            ::poll(&descriptor, 1, 100);
        }
        return Wait::TimedOut;
    }

private:
    void send(xcb_atom_t type, const std::array<std::uint32_t, 5>& data) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window_;
        message.type = type;
        std::copy(data.begin(), data.end(), message.data.data32);
        xcb_send_event(connection_, 0, window_, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
    }

    // TimedOut stands for "not this event".
    Wait inspect(const xcb_generic_event_t& event) const {
        switch (event.response_type & 0x7f) {
        case 0: // an error: the window no longer exists
            return Wait::Gone;
        case XCB_DESTROY_NOTIFY:
            return reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == window_
                       ? Wait::Gone
                       : Wait::TimedOut;
        case XCB_CLIENT_MESSAGE: {
            const auto& answer = reinterpret_cast<const xcb_client_message_event_t&>(event);
            return answer.type == status_ && answer.data.data32[0] == window_ ? Wait::Answered
                                                                              : Wait::TimedOut;
        }
        default:
            return Wait::TimedOut;
        }
    }

    xcb_connection_t* connection_;
    xcb_window_t window_;
    xcb_window_t root_;
    xcb_window_t source_;
    xcb_atom_t enter_;
    xcb_atom_t position_;
    xcb_atom_t status_;
    xcb_atom_t leave_;
    xcb_atom_t copy_;
    xcb_atom_t text_;
};

} // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const unsigned long window = argc == 2 ? std::strtoul(argv[1], &end, 0) : 0;
    if (window == 0 || window > 0xffffffffUL || end == nullptr || *end != '\0') {
        std::fprintf(stderr, "usage: %s WINDOW (the window's X id)\n", argv[0]);
        return 2;
    }
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(nullptr, nullptr), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get())) {
        std::fprintf(stderr, "window-ping: no X display\n");
        return 2;
    }
    Pinger pinger(connection.get(), xcb_window_t(window));
    if (!pinger.usable()) {
        std::fprintf(stderr, "window-ping: the display has no window manager atoms\n");
        return 2;
    }
    Clock::duration longest{};
    unsigned long answers = 0;
    Wait wait = Wait::Answered;
    while (wait == Wait::Answered) {
        const Clock::time_point sent = Clock::now();
        wait = pinger.ping();
        if (wait == Wait::Answered) {
            longest = std::max(longest, Clock::now() - sent);
            ++answers;
            const Clock::time_point next = Clock::now() + kPause;
            while (!stopRequested && Clock::now() < next)
                ::poll(nullptr, 0, 10);
            if (stopRequested)
                wait = Wait::Stopped;
        }
    }
    std::printf("longest %lld %lu\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(longest).count()),
                answers);
    if (wait == Wait::TimedOut) {
        std::printf("no answer\n");
        return 1;
    }
    return 0;
}
