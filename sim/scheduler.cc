#include "sim/scheduler.h"

namespace vorlanex::sim {

Scheduler::~Scheduler() {
    const std::lock_guard held(mutex_);
    for (const Job& job : jobs_) g_source_remove(job.source);
}

void Scheduler::after(unsigned ms, std::function<void()> job) {
    // Held until the source is known: the main loop may fire it at once.
    const std::lock_guard held(mutex_);
    Job& added = jobs_.emplace_back(Job{this, 0, std::move(job)});
    added.source = g_timeout_add(ms, fire, &added);
}

gboolean Scheduler::fire(gpointer data) {
    auto* job = static_cast<Job*>(data);
    Scheduler* owner = job->owner;
    std::function<void()> run;
    {
        const std::lock_guard held(owner->mutex_);
        run = std::move(job->run);
        owner->jobs_.remove_if([job](const Job& j) { return &j == job; });
    }
    run();
    return G_SOURCE_REMOVE;
}

}  // namespace vorlanex::sim
