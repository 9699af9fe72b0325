-- The shared reference database Data/INFO.FDB: substances with their limit values and codes,
-- summation and enlarged groups, information sources, industries and productions.
-- Built at build time; the shipped data are loaded after this script.

create table GDK_OBRV (
  SUBST_ID        integer not null,
  SUBST_NAME      varchar(255) character set WIN1251,
  SUBST_NICKNAMES varchar(255) character set WIN1251,
  GDK_MAX         double precision,
  GDK_DAY         double precision,
  OBRV            double precision,
  DANGER_CLASS    integer,
  PROPERTIES      char(16) character set WIN1251,
  DENSITY         double precision,
  EXPLOSIV_MIN    double precision,
  EXPLOSIV_MAX    double precision,
  GROUP_GEN       integer,
  INFO1           integer,
  INFO2           integer,
  constraint PK_GDK_OBRV primary key (SUBST_ID)
);

create table SUBST_2TP (
  SUBST_ID        integer not null,
  SUBST_NAME      varchar(255) character set WIN1251,
  constraint PK_SUBST_2TP primary key (SUBST_ID)
);

-- The 2-ТП code of a substance known by its sanitary code (several sanitary codes may share
-- one 2-ТП code: the form counts some substances as one group).
create table GDK_2TP (
  ID_GDK          integer not null,
  ID_2TP          integer,
  constraint PK_GDK_2TP primary key (ID_GDK)
);

create table GROUPS_SUM (
  GROUP_ID        integer not null,
  SUBST_ID1       integer,
  SUBST_ID2       integer,
  SUBST_ID3       integer,
  SUBST_ID4       integer,
  SUBST_ID5       integer,
  SUBST_ID6       integer,
  SUBST_ID7       integer,
  SUBST_ID8       integer,
  SUBST_ID9       integer,
  SUBST_ID10      integer,
  KOEF_POTEN      double precision,
  GROUP_NAME      varchar(255) character set WIN1251,
  constraint PK_GROUPS_SUM primary key (GROUP_ID)
);

create table GROUPS_GEN (
  GROUP_ID        integer not null,
  GROUP_NAME      varchar(255) character set WIN1251,
  PAYMENT         double precision,
  constraint PK_GROUPS_GEN primary key (GROUP_ID)
);

create table REF (
  REF_ID          integer not null,
  REF_NAME        varchar(255) character set WIN1251,
  constraint PK_REF primary key (REF_ID)
);

create table INDUSTRIES (
  IND_ID          varchar(10) character set WIN1251 not null,
  IND_NAME        varchar(255) character set WIN1251,
  constraint PK_INDUSTRIES primary key (IND_ID)
);

create table GROUPS_PROD (
  PROD_ID1        integer not null,
  PROD_ID2        integer not null,
  IND_ID          varchar(10) character set WIN1251,
  GROUP_NAME      varchar(255) character set WIN1251,
  constraint PK_GROUPS_PROD primary key (PROD_ID1, PROD_ID2)
);

create table PRODUCTIONS (
  PROD_ID         integer not null,
  PROD_NAME       varchar(255) character set WIN1251,
  constraint PK_PRODUCTIONS primary key (PROD_ID)
);

-- Every substance once: those with a sanitary code (with their 2-ТП code where one is linked),
-- then the 2-ТП items that no sanitary code is linked to.
-- SUBST_ID = 2-ТП code * 100000 + sanitary code.
create view SUBST (SUBST_ID, SUBST_GDK_ID, SUBST_2TP_ID, SUBST_NAME, SUBST_GDK_NAME, SUBST_2TP_NAME,
                   SUBST_NICKNAMES, GDK_MAX, GDK_DAY, OBRV, DANGER_CLASS, PROPERTIES, DENSITY,
                   EXPLOSIV_MIN, EXPLOSIV_MAX, GROUP_GEN_ID, GROUP_GEN_NAME, INFO1_ID, INFO1_NAME,
                   INFO2_ID, INFO2_NAME) as
  select cast(coalesce(l.ID_2TP, 0) as bigint) * 100000 + g.SUBST_ID, g.SUBST_ID, l.ID_2TP,
         coalesce(g.SUBST_NAME, t.SUBST_NAME), g.SUBST_NAME, t.SUBST_NAME, g.SUBST_NICKNAMES,
         g.GDK_MAX, g.GDK_DAY, g.OBRV, g.DANGER_CLASS, g.PROPERTIES, g.DENSITY, g.EXPLOSIV_MIN,
         g.EXPLOSIV_MAX, g.GROUP_GEN, gg.GROUP_NAME, g.INFO1, r1.REF_NAME, g.INFO2, r2.REF_NAME
  from GDK_OBRV g
  left join GDK_2TP l on l.ID_GDK = g.SUBST_ID
  left join SUBST_2TP t on t.SUBST_ID = l.ID_2TP
  left join GROUPS_GEN gg on gg.GROUP_ID = g.GROUP_GEN
  left join REF r1 on r1.REF_ID = g.INFO1
  left join REF r2 on r2.REF_ID = g.INFO2
  union all
  select cast(t.SUBST_ID as bigint) * 100000, null, t.SUBST_ID, t.SUBST_NAME, null, t.SUBST_NAME, null,
         null, null, null, null, null, null, null, null, null, null, null, null, null, null
  from SUBST_2TP t
  where not exists (select 1 from GDK_2TP l where l.ID_2TP = t.SUBST_ID);

-- Industries, their groups of production codes, and the productions, as one list with the
-- code as text: an industry by its letter, a group by its range, a production by its number.
create view PROD (PROD_ID, PROD_ID1, PROD_ID2, PROD_NAME) as
  select cast(i.IND_ID as varchar(11)),
         (select min(g.PROD_ID1) from GROUPS_PROD g where g.IND_ID = i.IND_ID),
         (select max(g.PROD_ID2) from GROUPS_PROD g where g.IND_ID = i.IND_ID),
         i.IND_NAME
  from INDUSTRIES i
  union all
  select cast(g.PROD_ID1 || '-' || g.PROD_ID2 as varchar(11)), g.PROD_ID1, g.PROD_ID2, g.GROUP_NAME
  from GROUPS_PROD g
  union all
  select cast(p.PROD_ID as varchar(11)), p.PROD_ID, p.PROD_ID, p.PROD_NAME
  from PRODUCTIONS p;
