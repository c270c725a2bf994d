-- A fixture for the listing subcommands: rows across page boundaries, equal
-- times, empty and missing values, texts that need escaping, and times on the
-- days the clocks change for summer time.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60)
INSERT INTO AddressBook (Phone, Name, Attributes, Address, Notes, SoundFile, Volume, Creschendo)
SELECT printf('%07d', 4950000 + i % 40),
       CASE i % 4 WHEN 0 THEN 'Иванов Пётр ' || i WHEN 1 THEN 'Петров Иван ' || i WHEN 2 THEN 'Sidorov "S" ' || i
                  ELSE NULL END,
       i % 64,
       CASE WHEN i % 2 = 0 THEN 'ул. Ленина, ' || i ELSE NULL END,
       CASE WHEN i % 3 = 0 THEN 'звонить' || char(13, 10) || 'вечером' ELSE NULL END,
       NULL,
       i % 5,
       i % 2
FROM n;
