#include "sim/scheduler.h"

namespace vorlanex::sim {

Scheduler::~Scheduler() {
    for (const Job& job : jobs_) g_source_remove(job.source);
}

void Scheduler::after(unsigned ms, std::function<void()> job) {
    Job& added = jobs_.emplace_back(Job{this, 0, std::move(job)});
    added.source = g_timeout_add(ms, fire, &added);
}

gboolean Scheduler::fire(gpointer data) {
    auto* job = static_cast<Job*>(data);
    Scheduler* owner = job->owner;
    const std::function<void()> run = std::move(job->run);
    owner->jobs_.remove_if([job](const Job& j) { return &j == job; });
    run();
    return G_SOURCE_REMOVE;
}

}  // namespace vorlanex::sim
