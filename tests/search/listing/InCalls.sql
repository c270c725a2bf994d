-- A fixture for the listing subcommands: rows across page boundaries, equal
-- times, empty and missing values, texts that need escaping, and times on the
-- days the clocks change for summer time.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 700)
INSERT INTO InCalls (Phone, Category, Time, Length, AutoAnswer, FileName, MessageFileName,
                     Field_1, Field_2, Field_3, Field_4, Field_5, Field_6, Field_7, Field_8, Blocked)
SELECT CASE
         WHEN i % 97 = 0 THEN NULL
         WHEN i % 89 = 0 THEN ''
         WHEN i % 41 = 0 THEN 'П' || (i % 7) || '"\' || char(9) || 'x'
         WHEN i % 37 = 0 THEN '1'' OR ''1''=''1'
         WHEN i % 31 = 0 THEN 'a' || char(1) || 'b/' || char(127)
         ELSE printf('%07d', 4950000 + (i * 7919) % 40)
       END,
       i % 10,
       CASE WHEN i % 50 = 0 THEN 46108 + (i - 1) * 0.0104 ELSE 46108 + i * 0.0104 END,
       CASE WHEN i % 23 = 0 THEN NULL ELSE ((i * 37) % 4000) / 86400.0 END,
       i % 2,
       CASE WHEN i % 3 = 0 THEN '/home/user/records/In_' || i || '.wav' WHEN i % 29 = 0 THEN '+' ELSE NULL END,
       CASE WHEN i % 5 = 0 THEN '/home/user/records/Msg_' || i || '.wav' ELSE NULL END,
       CASE WHEN i % 4 = 0 THEN 'Тема ' || (i % 13) WHEN i % 4 = 1 THEN 'ТЕМА ' || (i % 13) ELSE NULL END,
       CASE WHEN i % 6 = 0 THEN 'строка 1' || char(13, 10) || 'строка ' || (i % 3) ELSE NULL END,
       CASE WHEN i % 11 = 0 THEN '«ёлка» \ / ' || char(8232) || ' 😀' ELSE NULL END,
       CASE WHEN i % 17 = 0 THEN '' ELSE NULL END,
       CASE WHEN i % 19 = 0 THEN 'Иванов' WHEN i % 19 = 1 THEN 'иванов' ELSE NULL END,
       NULL,
       CASE WHEN i % 7 = 0 THEN printf('%d', i % 3) ELSE NULL END,
       CASE WHEN i % 13 = 0 THEN 46110 + i / 1000.0 ELSE NULL END,
       CASE WHEN i % 43 = 0 THEN 1 ELSE 0 END
FROM n;
