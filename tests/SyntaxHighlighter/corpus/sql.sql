-- Monthly revenue per customer, with the share of the best month.
CREATE TABLE IF NOT EXISTS orders (
    id          INTEGER PRIMARY KEY,
    customer_id INTEGER NOT NULL REFERENCES customers (id),
    placed_at   TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
    total_cents BIGINT CHECK (total_cents >= 0)
);

WITH monthly AS (
    SELECT c.name,
           date_trunc('month', o.placed_at) AS month,
           SUM(o.total_cents) / 100.0 AS revenue
    FROM orders o
    JOIN customers c ON c.id = o.customer_id
    WHERE o.placed_at >= NOW() - INTERVAL '1 year'
      AND c.name NOT LIKE 'test%'
    GROUP BY c.name, month
)
SELECT name,
       month,
       revenue,
       ROUND(100 * revenue / MAX(revenue) OVER (PARTITION BY name), 1) AS pct_of_best
FROM monthly
ORDER BY name ASC, month DESC
LIMIT 50;

UPDATE customers SET vip = TRUE WHERE id IN (SELECT customer_id FROM orders GROUP BY 1 HAVING COUNT(*) > 10);
