#include "worker_fanout.h"

#include <system_error>

bool start_worker_thread(std::thread& thread, std::function<void()> body)
{
    // std::thread reports a refused thread only by throwing; this is the one
    // place the program catches anything, and it turns it into a plain result.
    try {
        thread = std::thread(std::move(body));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
