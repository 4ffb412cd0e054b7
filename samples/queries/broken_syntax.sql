-- Syntax faults: each is reported, and reading goes on after it.
SELECT Orders.Revenue +,
       SUBSTRING(Customers.City FROM 1 TO 3),
       CASE WHEN Orders.Quantity > 1 THEN 'many' Customers.Region
FROM Sales
WHERE Orders.Status = 'SHIPPED
