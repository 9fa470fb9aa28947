#pragma once

#include <array>

// The statements of the project file, word for word: existing files and other programs rely on
// this exact schema, and every user value travels as a named parameter.
namespace velmora::sql {

inline constexpr std::array<const char*, 6> kCreateProject = {
    "CREATE TABLE properties (id INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT,field TEXT,color "
    "INTEGER NOT NULL DEFAULT -1,event TEXT,message_style TEXT,message_type TEXT,message_text "
    "TEXT,message_center_x INTEGER,message_center_y INTEGER,message_pointer_x "
    "INTEGER,message_pointer_y INTEGER,picture_style TEXT,picture_type TEXT,picture_file_name "
    "TEXT,picture_center_x INTEGER,picture_center_y INTEGER,picture_pointer_x "
    "INTEGER,picture_pointer_y INTEGER,overlay_file_name TEXT,overlay_x INTEGER,overlay_y "
    "INTEGER,copy_text TEXT,js_code TEXT,sound_file_name TEXT,sound_volume INTEGER,link "
    "TEXT,area_brightness INTEGER,area_contrast INTEGER,area_gamma INTEGER,area_grayscale "
    "INTEGER,background_brightness INTEGER,background_contrast INTEGER,background_gamma "
    "INTEGER,background_grayscale INTEGER);",
    "CREATE TABLE pictures (id INTEGER NOT NULL DEFAULT 0,picture TEXT,map TEXT,sound "
    "TEXT,volume INTEGER NOT NULL DEFAULT 100,width INTEGER NOT NULL DEFAULT 0,height INTEGER "
    "NOT NULL DEFAULT 0,PRIMARY KEY(id));",
    "INSERT INTO pictures (id) values(0);",
    "CREATE TABLE edit (id INTEGER NOT NULL UNIQUE DEFAULT 0,edit TEXT,PRIMARY KEY(id));",
    "CREATE TABLE meta_info (id INTEGER NOT NULL UNIQUE DEFAULT 0,version TEXT,PRIMARY KEY(id));",
    "INSERT INTO meta_info (id,version) values(0,'4.0');",
};

// The project file's user version while a committed change's map still waits under its staged
// name. At rest the mark is gone, so files look as they always did.
inline constexpr int kMapPendingMark = 0x766C6D70;

inline constexpr const char* kProjectVersion = "4.0";
inline constexpr const char* kSelectVersion = "select version from meta_info where id=0;";
inline constexpr const char* kVacuum = "VACUUM;";

inline constexpr const char* kUpdatePicture =
    "UPDATE pictures set picture= :PICTURE,map= :MAP,width= :WIDTH,height= :HEIGHT where id=0;";
inline constexpr const char* kSelectPicture =
    "SELECT picture,map,width,height,sound,volume FROM pictures WHERE id=0;";
inline constexpr const char* kUpdateSound =
    "UPDATE pictures set sound= :SOUND,volume= :VOLUME where id=0;";
// The files a project names, by working folder.
inline constexpr const char* kSelectPictureFiles =
    "SELECT picture,map,sound FROM pictures WHERE id=0;";
inline constexpr const char* kSelectRecordFiles =
    "SELECT picture_file_name,overlay_file_name,sound_file_name FROM properties;";

inline constexpr const char* kListAreas =
    "select color,field from properties group by field order by field;";
inline constexpr const char* kDeleteAllAreas = "DELETE FROM properties;";
inline constexpr const char* kInsertAreaRows =
    "INSERT INTO properties "
    "(field,color,event,message_style,message_type,message_text,message_center_x,message_"
    "center_y,message_pointer_x,message_pointer_y,picture_style,picture_type,picture_file_name,"
    "picture_center_x,picture_center_y,picture_pointer_x,picture_pointer_y,overlay_file_name,"
    "overlay_x,overlay_y,copy_text,js_code,sound_file_name,sound_volume,link,area_brightness,"
    "area_contrast,area_gamma,area_grayscale,background_brightness,background_contrast,"
    "background_gamma,background_grayscale) values( :FIELD, :COLOR, "
    ":EVENT,'blue_small','speech','',0,0,0,0,'blue_small','circle','',0,0,0,0,'',0,0,'','','',"
    "100,'',0,0,100,0,0,0,100,0);";
inline constexpr const char* kRenameArea =
    "UPDATE properties SET field= :NEWFIELD WHERE field= :FIELD;";
inline constexpr const char* kDeleteArea = "DELETE FROM properties WHERE field= :FIELD;";
inline constexpr const char* kCommit = "COMMIT;";

inline constexpr const char* kSelectRecord =
    "select "
    "field,color,event,message_style,message_type,message_text,message_center_x,message_center_"
    "y,message_pointer_x,message_pointer_y,picture_style,picture_type,picture_file_name,picture_"
    "center_x,picture_center_y,picture_pointer_x,picture_pointer_y,overlay_file_name,overlay_x,"
    "overlay_y,copy_text,js_code,sound_file_name,sound_volume,link,area_brightness,area_"
    "contrast,area_gamma,area_grayscale,background_brightness,background_contrast,background_"
    "gamma,background_grayscale from properties where field= :FIELD and event= :EVENT;";
inline constexpr const char* kUpdateRecord =
    "UPDATE properties set "
    "message_style=:MESSAGE_STYLE,message_type=:MESSAGE_TYPE,message_text=:MESSAGE_TEXT,message_"
    "center_x=:MESSAGE_CENTER_X,message_center_y=:MESSAGE_CENTER_Y,message_pointer_x=:MESSAGE_"
    "POINTER_X,message_pointer_y=:MESSAGE_POINTER_Y,picture_style=:PICTURE_STYLE,picture_type=:"
    "PICTURE_TYPE,picture_file_name=:PICTURE_FILE_NAME,picture_center_x=:PICTURE_CENTER_X,"
    "picture_center_y=:PICTURE_CENTER_Y,picture_pointer_x=:PICTURE_POINTER_X,picture_pointer_y=:"
    "PICTURE_POINTER_Y,overlay_file_name=:OVERLAY_FILE_NAME,overlay_x=:OVERLAY_X,overlay_y=:"
    "OVERLAY_Y,copy_text=:COPY_TEXT,js_code=:JS_CODE,sound_file_name=:SOUND_FILE_NAME,sound_"
    "volume=:SOUND_VOLUME,link=:LINK,area_brightness=:AREA_BRIGHTNESS,area_contrast=:AREA_"
    "CONTRAST,area_gamma=:AREA_GAMMA,area_grayscale=:AREA_GRAYSCALE,background_brightness=:"
    "BACKGROUND_BRIGHTNESS,background_contrast=:BACKGROUND_CONTRAST,background_gamma=:"
    "BACKGROUND_GAMMA,background_grayscale=:BACKGROUND_GRAYSCALE WHERE field= :FIELD and "
    "event= :EVENT;";

inline constexpr const char* kImportNames =
    "select field from properties group by field order by field limit 0,255;";
inline constexpr const char* kImportRows =
    "select "
    "field,color,event,message_style,message_type,message_text,message_center_x,message_center_"
    "y,message_pointer_x,message_pointer_y,picture_style,picture_type,picture_file_name,picture_"
    "center_x,picture_center_y,picture_pointer_x,picture_pointer_y,overlay_file_name,overlay_x,"
    "overlay_y,copy_text,js_code,sound_file_name,sound_volume,link,area_brightness,area_"
    "contrast,area_gamma,area_grayscale,background_brightness,background_contrast,background_"
    "gamma,background_grayscale from properties order by field;";
inline constexpr const char* kImportInsert =
    "INSERT INTO properties "
    "(field,color,event,message_style,message_type,message_text,message_center_x,message_"
    "center_y,message_pointer_x,message_pointer_y,picture_style,picture_type,picture_file_name,"
    "picture_center_x,picture_center_y,picture_pointer_x,picture_pointer_y,overlay_file_name,"
    "overlay_x,overlay_y,copy_text,js_code,sound_file_name,sound_volume,link,area_brightness,"
    "area_contrast,area_gamma,area_grayscale,background_brightness,background_contrast,"
    "background_gamma,background_grayscale) values( "
    ":FIELD,:COLOR,:EVENT,:MESSAGE_STYLE,:MESSAGE_TYPE,:MESSAGE_TEXT,:MESSAGE_CENTER_X,:MESSAGE_"
    "CENTER_Y,:MESSAGE_POINTER_X,:MESSAGE_POINTER_Y,:PICTURE_STYLE,:PICTURE_TYPE,:PICTURE_FILE_"
    "NAME,:PICTURE_CENTER_X,:PICTURE_CENTER_Y,:PICTURE_POINTER_X,:PICTURE_POINTER_Y,:OVERLAY_"
    "FILE_NAME,:OVERLAY_X,:OVERLAY_Y,:COPY_TEXT,:JS_CODE,:SOUND_FILE_NAME,:SOUND_VOLUME,:LINK,:"
    "AREA_BRIGHTNESS,:AREA_CONTRAST,:AREA_GAMMA,:AREA_GRAYSCALE,:BACKGROUND_BRIGHTNESS,:"
    "BACKGROUND_CONTRAST,:BACKGROUND_GAMMA,:BACKGROUND_GRAYSCALE);";

}  // namespace velmora::sql
