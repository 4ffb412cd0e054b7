/* Customer names of both subject areas that hold them. */
SELECT "Customer Name", Segment FROM "Marketing Insights"
UNION
SELECT Customers."Customer Name", Customers.Segment FROM "Sales Analysis"
ORDER BY 1
