-- A fixture for the listing subcommands: rows across page boundaries, equal
-- times, empty and missing values, texts that need escaping, and times on the
-- days the clocks change for summer time.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)
INSERT INTO OutCalls (Phone, Time, Length, Attributes, FileName, Field_1, Field_2, Field_3, Field_4, Field_5,
                      Field_6, Field_7, Field_8)
SELECT CASE WHEN i % 53 = 0 THEN NULL WHEN i % 47 = 0 THEN '*#10' ELSE printf('8%09d', (i * 104729) % 97) END,
       45938 + i * 0.0233 + (i % 3) * 0.00000001,
       ((i * 53) % 7000) / 86400.0,
       i % 4,
       CASE WHEN i % 4 = 0 THEN '/home/user/records/Out_' || i || '.wav' ELSE NULL END,
       CASE WHEN i % 3 = 0 THEN 'Заказ ' || (i % 5) ELSE NULL END,
       NULL, NULL, NULL, NULL, NULL,
       CASE WHEN i % 9 = 0 THEN 'x' || char(10) || 'y' ELSE NULL END,
       NULL
FROM n;
