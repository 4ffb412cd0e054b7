-- Every name fault at once: a misspelt column, a table that is not there,
-- a column name that two tables carry.
SELECT Orders.Revenu,
       Ordr.Quantity,
       "Net Revenue"
FROM Sales
WHERE Orders.Staus = 'SHIPPED'
