-- Revenue and order count per customer region, shipped orders only,
-- the largest first.
SELECT Customers.Region,
       SUM(Orders.Revenue) AS "Total Revenue",
       COUNT(DISTINCT Orders."Order Id") AS Orders
FROM "Sales Analysis"
WHERE Orders.Status = 'SHIPPED'
  AND Time."Year" BETWEEN 2022 AND 2024
GROUP BY Customers.Region
HAVING SUM(Orders.Revenue) > 1000
ORDER BY 2 DESC
FETCH FIRST 10 ROWS ONLY
