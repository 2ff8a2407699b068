#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include "inventory.h"

namespace shop {

template <typename T>
concept Priced = requires(const T& t) { { t.price() } -> std::convertible_to<double>; };

class Item {
public:
    explicit Item(std::string name, double price) : m_name(std::move(name)), m_price(price) {}
    virtual ~Item() = default;
    virtual double price() const { return m_price; }
    const std::string& name() const noexcept { return m_name; }

private:
    std::string m_name;
    double m_price = 0.0;
};

class Discounted final : public Item {
public:
    using Item::Item;
    double price() const override { return Item::price() * 0.8; }
};

template <Priced T>
double total(const std::vector<std::unique_ptr<T>>& items) {
    double sum = 0;
    for (const auto& item : items)
        sum += item->price();
    return sum;
}

} // namespace shop

int main() {
    std::vector<std::unique_ptr<shop::Item>> cart;
    cart.push_back(std::make_unique<shop::Discounted>("lamp", 25.0));
    cart.push_back(std::make_unique<shop::Item>("cable", 4.5e0));
    static_assert(sizeof(int) >= 4, "int is too small");
    auto cheapest = std::ranges::min_element(cart, {}, [](const auto& i) { return i->price(); });
    std::printf("%s costs %.2f; total %.2f\n", (*cheapest)->name().c_str(), (*cheapest)->price(),
                shop::total(cart));
    return nullptr == cheapest->get() ? 1 : 0;
}
