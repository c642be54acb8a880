#include "sim/scheduler.h"

namespace vorlanex::sim {

Scheduler::~Scheduler() {
    const std::lock_guard lock(mutex_);
    for (const Job& job : jobs_) {
        g_source_destroy(job.source);
        g_source_unref(job.source);
    }
}

void Scheduler::after(unsigned ms, std::function<void()> job) {
    const std::lock_guard lock(mutex_);
    Job& added = jobs_.emplace_back(Job{this, g_timeout_source_new(ms), std::move(job)});
    g_source_set_callback(added.source, fire, &added, nullptr);
    g_source_attach(added.source, g_main_context_get_thread_default());
}

gboolean Scheduler::fire(gpointer data) {
    auto* job = static_cast<Job*>(data);
    Scheduler* owner = job->owner;
    std::function<void()> run;
    {
        const std::lock_guard lock(owner->mutex_);
        run = std::move(job->run);
        g_source_unref(job->source);
        owner->jobs_.remove_if([job](const Job& j) { return &j == job; });
    }
    run();
    return G_SOURCE_REMOVE;
}

}  // namespace vorlanex::sim
