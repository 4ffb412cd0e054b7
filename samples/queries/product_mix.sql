-- Share of each category, with a derived table and a CASE.
SELECT t.Category,
       CASE WHEN t.Total > 10000 THEN 'large' ELSE 'small' END AS Size
FROM (SELECT Products.Category, SUM(Orders.Revenue) AS Total
      FROM "Sales Analysis") t
ORDER BY t.Category
