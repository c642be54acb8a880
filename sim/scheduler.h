// Jobs run later by a GLib main loop; those not run yet are dropped with the
// scheduler.
//
// umockdev calls the device handlers on a thread of its own. A job scheduled
// from a handler runs in that thread's main context, so that taking a device
// away never races with the handler that serves it; the list of jobs is
// guarded because the scheduler itself goes away on the main thread.
#pragma once

#include <glib.h>

#include <functional>
#include <list>
#include <mutex>

namespace vorlanex::sim {

class Scheduler {
  public:
    Scheduler() = default;
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    /// Runs the job once, `ms` milliseconds from now (0: as soon as the loop is idle),
    /// in the main context of the calling thread.
    void after(unsigned ms, std::function<void()> job);

  private:
    struct Job {
        Scheduler* owner;
        GSource* source = nullptr;
        std::function<void()> run;
    };
    static gboolean fire(gpointer job);

    std::mutex mutex_;
    std::list<Job> jobs_;  // stable addresses for the main loop
};

}  // namespace vorlanex::sim
