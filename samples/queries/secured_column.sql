-- anna.berg may not read Orders.Discount: run with --user anna.berg.
SELECT Orders."Order Id", Orders.Discount
FROM Sales
