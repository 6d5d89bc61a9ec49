#pragma once

#include <string>
#include <vector>

struct kde_output_order_v1;

// The order in which the desktop uses the outputs: the first is the primary
// one. Takes effect at each "done". Owns the protocol object.
class KdeOutputOrder
{
public:
    explicit KdeOutputOrder(kde_output_order_v1* order);
    ~KdeOutputOrder();

    KdeOutputOrder(const KdeOutputOrder&) = delete;
    KdeOutputOrder& operator=(const KdeOutputOrder&) = delete;

    // Connector names, primary first; empty until the first "done".
    const std::vector<std::string>& names() const { return m_names; }

private:
    kde_output_order_v1* m_order;
    std::vector<std::string> m_pending;
    std::vector<std::string> m_names;
};
