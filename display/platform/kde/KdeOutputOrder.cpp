#include "display/platform/kde/KdeOutputOrder.h"

#include "kde-output-order-v1-client-protocol.h"

KdeOutputOrder::KdeOutputOrder(kde_output_order_v1* order) : m_order(order)
{
    static const kde_output_order_v1_listener listener = {
        [](void* data, kde_output_order_v1*, const char* name) {
            static_cast<KdeOutputOrder*>(data)->m_pending.push_back(name ? name : "");
        },
        [](void* data, kde_output_order_v1*) {
            auto* order = static_cast<KdeOutputOrder*>(data);
            order->m_names = std::move(order->m_pending);
            order->m_pending.clear();
        },
    };
    kde_output_order_v1_add_listener(m_order, &listener, this);
}

KdeOutputOrder::~KdeOutputOrder()
{
    kde_output_order_v1_destroy(m_order);
}
