// Short phone queries that a handler on the window's thread starts and does not wait for: the
// query asks the phone on a worker, through the window's phone side and prompts as a worker
// reaches them, and what it returns runs on the window's thread afterwards (not at all once
// the window is gone). Queries run one after another, in the order they were started.
#pragma once

#include <functional>

#include "base/prompts.h"
#include "phone/phone_window.h"

namespace velmora {

// What a query hands back to the window's thread; may be empty.
using QueryResult = std::function<void()>;
// Runs on the worker: it may touch nothing of the window but window and prompts.
using PhoneQuery = std::function<QueryResult(PhoneWindow& window, Prompts& prompts)>;

class PhoneQueries {
  public:
    virtual ~PhoneQueries() = default;
    virtual void Run(PhoneQuery query) = 0;
};

// Each query at once on the caller's thread, which must be the window's: for the parts of the
// window that tests drive without workers.
class QueriesInPlace final : public PhoneQueries {
  public:
    QueriesInPlace(PhoneWindow& window, Prompts& prompts) : m_window(window), m_prompts(prompts) {}
    void Run(PhoneQuery query) override {
        if (QueryResult result = query(m_window, m_prompts)) result();
    }

  private:
    PhoneWindow& m_window;
    Prompts& m_prompts;
};

}  // namespace velmora
