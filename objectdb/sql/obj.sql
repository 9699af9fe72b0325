-- The object database: one file per state of the object (OBJ.FDB, OBJ1.FDB ... OBJ4.FDB).
-- Built into Data/OBJ.FDB at build time; projects receive copies of that file, never DDL.
-- Every reference deletes and renumbers the rows below it with its parent.

create table PROD_SITES (
  SITE_ID        integer not null,
  SITE_NAME      varchar(255) character set WIN1251,
  constraint PK_PROD_SITES primary key (SITE_ID)
);

create table PRODUCTIONS (
  PROD_ID        integer not null,
  PROD_NAME      varchar(255) character set WIN1251,
  constraint PK_PRODUCTIONS primary key (PROD_ID)
);

create table SUBSTANCES (
  SUBST_ID       bigint not null,
  SUBST_NAME     varchar(255) character set WIN1251,
  constraint PK_SUBSTANCES primary key (SUBST_ID)
);

create table EMISSION_SRC (
  SITE_ID        integer not null,
  EMISSRC_ID     integer not null,
  EMISSRC_NAME   varchar(255) character set WIN1251,
  EMISSRC_TYPE   integer,
  X1             double precision,
  Y1             double precision,
  X2             double precision,
  Y2             double precision,
  ANGLE          double precision,
  HEIGHT         double precision,
  DIAMETER       double precision,
  SPEED          double precision,
  VOLUME         double precision,
  TEMP           double precision,
  DANGER_CLASS   integer,
  constraint PK_EMISSION_SRC primary key (SITE_ID, EMISSRC_ID),
  constraint FK_EMISSION_SRC_SITE foreign key (SITE_ID)
    references PROD_SITES (SITE_ID) on delete cascade on update cascade
);

create table EVOLVING_SRC (
  SITE_ID        integer not null,
  PROD_ID        integer not null,
  EMISSRC_ID     integer not null,
  VENT_ID        integer,
  EVOLSRC_ID     integer not null,
  EVOLSRC_NAME   varchar(255) character set WIN1251,
  EVOLSRC_NUM    integer,
  LOAD           double precision,
  VOLUME         double precision,
  TEMP           double precision,
  constraint PK_EVOLVING_SRC primary key (SITE_ID, EMISSRC_ID, EVOLSRC_ID),
  constraint FK_EVOLVING_SRC_SRC foreign key (SITE_ID, EMISSRC_ID)
    references EMISSION_SRC (SITE_ID, EMISSRC_ID) on delete cascade on update cascade,
  constraint FK_EVOLVING_SRC_PROD foreign key (PROD_ID)
    references PRODUCTIONS (PROD_ID) on delete cascade on update cascade
);

create table GOU (
  SITE_ID        integer not null,
  EMISSRC_ID     integer not null,
  VENT_ID        integer not null,
  CHAIN_POS      integer not null,
  GOU_CLASS      integer,
  GOU_CODE       varchar(3) character set WIN1251,
  GOU_NAME       varchar(255) character set WIN1251,
  VOLUME_IN      double precision,
  TEMP_IN        double precision,
  VOLUME_OUT     double precision,
  TEMP_OUT       double precision,
  constraint PK_GOU primary key (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS),
  constraint FK_GOU_SRC foreign key (SITE_ID, EMISSRC_ID)
    references EMISSION_SRC (SITE_ID, EMISSRC_ID) on delete cascade on update cascade
);

create table EMISSION_DATA (
  SITE_ID        integer not null,
  EMISSRC_ID     integer not null,
  SUBST_ID       bigint not null,
  EMIS_TYPE      integer default 0 not null,
  MGM3           double precision,
  GS             double precision,
  KGH            double precision,
  TY             double precision,
  METHOD         varchar(255) character set WIN1251,
  constraint PK_EMISSION_DATA primary key (SITE_ID, EMISSRC_ID, SUBST_ID, EMIS_TYPE),
  constraint FK_EMISSION_DATA_SRC foreign key (SITE_ID, EMISSRC_ID)
    references EMISSION_SRC (SITE_ID, EMISSRC_ID) on delete cascade on update cascade,
  constraint FK_EMISSION_DATA_SUBST foreign key (SUBST_ID)
    references SUBSTANCES (SUBST_ID) on delete cascade on update cascade
);

create table EVOLVING_DATA (
  SITE_ID        integer not null,
  EMISSRC_ID     integer not null,
  EVOLSRC_ID     integer not null,
  SUBST_ID       bigint not null,
  EMIS_TYPE      integer default 0 not null,
  MGM3           double precision,
  GS             double precision,
  KGH            double precision,
  TY             double precision,
  METHOD         varchar(255) character set WIN1251,
  constraint PK_EVOLVING_DATA primary key (SITE_ID, EMISSRC_ID, EVOLSRC_ID, SUBST_ID, EMIS_TYPE),
  constraint FK_EVOLVING_DATA_SRC foreign key (SITE_ID, EMISSRC_ID, EVOLSRC_ID)
    references EVOLVING_SRC (SITE_ID, EMISSRC_ID, EVOLSRC_ID) on delete cascade on update cascade,
  constraint FK_EVOLVING_DATA_SUBST foreign key (SUBST_ID)
    references SUBSTANCES (SUBST_ID) on delete cascade on update cascade
);

create table GOU_DATA (
  SITE_ID        integer not null,
  EMISSRC_ID     integer not null,
  VENT_ID        integer not null,
  CHAIN_POS      integer not null,
  SUBST_ID       bigint not null,
  EMIS_TYPE      integer default 0 not null,
  MGM3_IN        double precision,
  MGM3_OUT       double precision,
  EFFECT         double precision,
  constraint PK_GOU_DATA primary key (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS, SUBST_ID, EMIS_TYPE),
  constraint FK_GOU_DATA_GOU foreign key (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS)
    references GOU (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS) on delete cascade on update cascade,
  constraint FK_GOU_DATA_SUBST foreign key (SUBST_ID)
    references SUBSTANCES (SUBST_ID) on delete cascade on update cascade
);
