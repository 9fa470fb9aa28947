'use strict;'
let VLM_DATA=[
`{
	"id":"vlm_1111",
	"Map":"0104 0104 ",
	"colors":[
		{ "q":0 }
	]
}`
,
`{
	"id":"vlm_2222",
	"Map":"0104 0104 ",
	"colors":[
		{ "q":0 }
	]
}`
,
];
