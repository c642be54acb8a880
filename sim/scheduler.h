// Jobs that the main loop runs later. Jobs may be added from any thread (the
// device requests are served on umockdev's); they run on the thread of the
// default main loop. Those not run yet are dropped with the scheduler.
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

    /// Runs the job once, `ms` milliseconds from now (0: as soon as the loop is idle).
    void after(unsigned ms, std::function<void()> job);

  private:
    struct Job {
        Scheduler* owner;
        guint source = 0;
        std::function<void()> run;
    };
    static gboolean fire(gpointer job);

    std::mutex mutex_;     // guards jobs_; never held while a job runs
    std::list<Job> jobs_;  // stable addresses for the main loop
};

}  // namespace vorlanex::sim
